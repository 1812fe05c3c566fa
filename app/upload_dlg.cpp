#include "app/upload_dlg.h"

#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/wupdlock.h>

#include "app/about_box.h"
#include "app/about_menu.h"
#include "app/app_icon.h"
#include "app/app_strings.h"
#include "app/message_boxes.h"
#include "app/record_list_view.h"
#include "app/transfer_messages.h"
#include "export/export_error.h"
#include "export/spreadsheet_export.h"
#include "export/text_export.h"

namespace velanto {
namespace {

constexpr const char* kSpreadsheetTableName = "velanto";
constexpr const char* kFolderChooserTitle = "Please choose the folder you want to save the data";
// How often the bar moves while velanto waits.
constexpr auto kPulseInterval = std::chrono::milliseconds(100);

RecordListView* MakeRecordList(wxWindow* parent, const ControlTemplate& control, wxPoint position, wxSize size) {
    return new RecordListView(parent, control.id, position, size);
}

template <typename Control>
Control* ControlById(wxWindow& dialog, int id) {
    return dynamic_cast<Control*>(dialog.FindWindow(id));
}

}  // namespace

std::string s_browsePath;

CUploadDlg::CUploadDlg(wxWindow* parent, ExportUi* exportUi)
    : TemplateDialog(parent, kMainDialogTemplate, MakeRecordList),
      m_recordList(ControlById<RecordListView>(*this, kRecordListId)),
      m_progress(ControlById<wxGauge>(*this, kProgressId)),
      m_portCombo(ControlById<wxChoice>(*this, kPortComboId)),
      m_formatCombo(ControlById<wxChoice>(*this, kFormatComboId)),
      m_wxExportUi(*this),
      m_exportUi(exportUi ? *exportUi : m_wxExportUi),
      m_hIcon(AppIconBundle()),
      m_receptionTimer(this),
      m_uiThread(*this),
      m_transfer(*this, m_uiThread) {
    SetUpControls();
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnReceptionTick(); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { DispatchCommand(&CUploadDlg::OnStart); }, kStartButtonId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { DispatchCommand(&CUploadDlg::OnSave); }, kSaveButtonId);
    OfferAboutItem(*this);
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
        if (!OnSystemCommand(event.GetId())) {
            event.Skip();
        }
    });
}

CUploadDlg::~CUploadDlg() {
    // The window is going: the monitor's calls from here on address nothing. The monitor itself
    // is stopped and joined when m_transfer is destroyed, right after this.
    m_uiThread.Detach();
    m_transfer.SignalShutdown();
}

void CUploadDlg::SetUpControls() {
    SetIcons(m_hIcon);
    for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) {
        m_portCombo->Append(port);
    }
    m_portCombo->SetSelection(0);
    m_formatCombo->Append("Excel[.xls]");
    m_formatCombo->Append("Notepad[.txt]");
    m_formatCombo->SetSelection(1);
    m_recordList->SetUpResultColumns();
    m_progress->SetRange(static_cast<int>(kDumpSize));
    m_progress->SetValue(0);
    FindWindow(kCancelId)->SetFocus();
    Centre(wxBOTH);
}

void CUploadDlg::DispatchCommand(void (CUploadDlg::*handler)()) {
    try {
        (this->*handler)();
    } catch (const CommandError& error) {
        ShowStopBox(this, wxString::FromUTF8(error.what()));
    }
}

void CUploadDlg::OnStart() {
    m_receptionTimer.Stop();
    m_transfer.Start(m_portCombo->GetSelection() + 1);
    if (m_transfer.IsUnderWay()) {
        m_receptionTimer.Start(static_cast<int>(DetectorTransfer::kTickInterval.count()));
    }
    m_progress->SetValue(0);
}

// Each call that ends the transfer stops the timer first: a box's own event loop must not tick again.
void CUploadDlg::OnReceptionTick() { m_transfer.Tick(); }

// The bar moves to and fro while velanto waits for a quiet line or for the first byte of the answer.
void CUploadDlg::OnWaiting() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPulse >= kPulseInterval) {
        m_progress->Pulse();
        m_lastPulse = now;
    }
}

void CUploadDlg::OnProgress(std::size_t bytes) { m_progress->SetValue(static_cast<int>(bytes)); }

void CUploadDlg::OnAnswer(const DetectorDump& image, const AnswerFindings& findings) {
    m_receptionTimer.Stop();
    if (!findings.IsSound() && !AskWarningQuestion(this, wxString::FromUTF8(DamagedAnswerQuestion(findings)))) {
        return;
    }
    // Filled unseen and shown once: a repaint and a scroll-bar update for each of 2000 rows take
    // many seconds on some list-view controls.
    const wxWindowUpdateLocker frozen(m_recordList);
    m_recordList->RemoveAllRows();
    DecodeDump(image, *m_recordList);
}

void CUploadDlg::OnPortNotOpened(int portNumber, PortOpenFailure failure) {
    ShowWarningBox(this, wxString::FromUTF8(PortOpenFailureText(portNumber, failure)));
}

void CUploadDlg::OnLineNeverQuiet(int portNumber) {
    m_receptionTimer.Stop();
    m_progress->SetValue(0);
    ShowWarningBox(this, wxString::FromUTF8(BusyLineText(portNumber)));
}

void CUploadDlg::OnNoAnswer(int portNumber) {
    m_receptionTimer.Stop();
    m_progress->SetValue(0);
    ShowWarningBox(this, wxString::FromUTF8(NoAnswerText(portNumber)));
}

void CUploadDlg::OnAnswerStopped(int portNumber, std::size_t length) {
    m_receptionTimer.Stop();
    ShowWarningBox(this, wxString::FromUTF8(StoppedAnswerText(portNumber, length)));
}

// The box says why the port failed; nothing more is waited for.
void CUploadDlg::OnPortFailure(const std::string& text) {
    m_receptionTimer.Stop();
    ShowSystemErrorBox(wxString::FromUTF8(text));
}

void CUploadDlg::OnSave() {
    switch (m_formatCombo->GetSelection()) {
        case 0: SaveAsSpreadsheet(*m_recordList, kSpreadsheetTableName, m_exportUi); break;
        case 1: SaveAsText(); break;
    }
}

void CUploadDlg::SaveAsText() {
    ChooseSaveFolder();
    velanto::SaveAsText(*m_recordList, m_exportFolder, m_exportUi);
}

void CUploadDlg::ChooseSaveFolder() {
    if (std::optional<std::string> chosen = m_exportUi.ChooseFolder(kFolderChooserTitle)) {
        s_browsePath = *chosen;
    }
    if (!s_browsePath.empty()) {
        m_exportFolder = s_browsePath;
    }
}

bool CUploadDlg::OnSystemCommand(int id) {
    if ((id & 0xFFF0) != kAboutCommand) {
        return false;
    }
    CAboutBox about(this);
    about.ShowModal();
    return true;
}

bool CUploadDlg::OnEnter(wxWindow* focus) {
    if (IsWithin(focus, m_recordList) || IsWithin(focus, m_portCombo) || IsWithin(focus, m_formatCombo)) {
        Finish(kOkId);
        return true;
    }
    return false;
}

}  // namespace velanto
