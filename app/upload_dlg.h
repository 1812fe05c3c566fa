#pragma once

#include <wx/timer.h>

#include <string>

#include "app/template_dialog.h"
#include "app/ui_thread_port_owner.h"
#include "app/wx_export_ui.h"
#include "dump/dump_reception.h"
#include "serial/comm_port.h"

class wxChoice;
class wxGauge;

namespace velanto {

class RecordListView;

// The folder chosen last in this run, shared by every main dialog of the process; a cancelled
// chooser leaves it as it is.
extern std::string s_browsePath;

// The main dialog: the record list, the port and format lists, the progress bar, and the
// serial port that fills the list from the detector.
class CUploadDlg final : public TemplateDialog {
public:
    // The exports talk to the operator through `exportUi` when given, else through wx dialogs.
    explicit CUploadDlg(wxWindow* parent, ExportUi* exportUi = nullptr);
    ~CUploadDlg() override;

    // Start: opens the chosen port and starts its monitor; the request follows once the line is quiet.
    void OnStart();
    // One byte received from the detector, stored when it belongs to the answer.
    void OnPortRxChar(std::uintptr_t wParam, std::intptr_t lParam);
    // A look at the transfer under way: sends the request, or ends the transfer, when its time has come.
    void OnReceptionTick();
    // Save: writes the record list in the format chosen in the format list.
    void OnSave();
    // The text export: asks for a folder, then writes the next free atpNN.txt there.
    void SaveAsText();
    // Asks for the export folder; a cancel keeps the folder chosen last in this run.
    void ChooseSaveFolder();
    const std::string& ExportFolder() const { return m_exportFolder; }

    // Routes a command of the dialog's menu: ids 16 to 31 open the About box. False for other ids.
    bool OnSystemCommand(int id);

    RecordListView& RecordList() { return *m_recordList; }

private:
    void SetUpControls();
    // Runs a button's handler; an error that ends the command is shown in a stop box.
    void DispatchCommand(void (CUploadDlg::*handler)());
    void SendRequest();
    void EndTransfer();
    // The answer has ended: its records replace the list, after a question when it looks damaged.
    void ShowAnswer();
    void ShowWaiting();
    void OnPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    bool OnEnter(wxWindow* focus) override;

    RecordListView* m_recordList = nullptr;
    wxGauge* m_progress = nullptr;
    wxChoice* m_portCombo = nullptr;
    wxChoice* m_formatCombo = nullptr;
    WxExportUi m_wxExportUi;
    ExportUi& m_exportUi;
    UiThreadPortOwner m_portOwner;  // outlives m_port, whose monitor calls it
    CCommPort m_port;
    std::string m_exportFolder;
    wxIconBundle m_hIcon;
    int m_transferPort = 0;  // the COM number of the transfer under way, whatever the port list shows since
    DumpReception m_reception;
    wxTimer m_receptionTimer;  // runs while a transfer is under way
    DumpReception::Clock::time_point m_lastPulse;
};

}  // namespace velanto
