#pragma once

#include <wx/timer.h>

#include <string>

#include "app/template_dialog.h"
#include "app/ui_thread_runner.h"
#include "app/wx_export_ui.h"
#include "transfer/detector_transfer.h"

class wxChoice;
class wxGauge;

namespace velanto {

class RecordListView;

// The folder chosen last in this run, shared by every main dialog of the process; a cancelled
// chooser leaves it as it is.
extern std::string s_browsePath;

// The main dialog: the record list, the port and format lists, the progress bar, and the
// transfer that fills the list from the detector.
class CUploadDlg final : public TemplateDialog, private TransferListener {
public:
    // The exports talk to the operator through `exportUi` when given, else through wx dialogs.
    explicit CUploadDlg(wxWindow* parent, ExportUi* exportUi = nullptr);
    ~CUploadDlg() override;

    // Start: a transfer from the chosen port; the request follows once the line is quiet.
    void OnStart();
    // One byte received from the detector, stored when it belongs to the answer.
    void OnPortRxChar(std::uint8_t byte) { m_transfer.StoreByte(byte); }
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
    bool OnEnter(wxWindow* focus) override;

    void OnWaiting() override;
    void OnProgress(std::size_t bytes) override;
    // The answer's records replace the list, after a question when it looks damaged.
    void OnAnswer(const DetectorDump& image, const AnswerFindings& findings) override;
    void OnPortNotOpened(int portNumber, PortOpenFailure failure) override;
    void OnLineNeverQuiet(int portNumber) override;
    void OnNoAnswer(int portNumber) override;
    void OnAnswerStopped(int portNumber, std::size_t length) override;
    void OnPortFailure(const std::string& text) override;

    RecordListView* m_recordList = nullptr;
    wxGauge* m_progress = nullptr;
    wxChoice* m_portCombo = nullptr;
    wxChoice* m_formatCombo = nullptr;
    WxExportUi m_wxExportUi;
    ExportUi& m_exportUi;
    std::string m_exportFolder;
    wxIconBundle m_hIcon;
    wxTimer m_receptionTimer;  // runs while a transfer is under way
    std::chrono::steady_clock::time_point m_lastPulse;
    UiThreadRunner m_uiThread;  // outlives m_transfer, whose port monitor calls it
    DetectorTransfer m_transfer;
};

}  // namespace velanto
