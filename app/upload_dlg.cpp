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

constexpr std::uint32_t kBaudRate = 9600;
constexpr char kParity = 'N';
constexpr std::uint32_t kDataBits = 8;
constexpr std::uint32_t kStopBits = 1;
constexpr std::uint32_t kWriteBufferSize = 512;
constexpr std::uint8_t kRequestByte = 0x55;
constexpr const char* kSpreadsheetTableName = "velanto";
constexpr const char* kFolderChooserTitle = "Please choose the folder you want to save the data";
// How often a transfer under way looks at the clock, and how often the bar moves while velanto waits.
constexpr int kReceptionTickMilliseconds = 25;
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
      m_portOwner(
          *this,
          [this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
              OnPortMessage(message, wParam, lParam);
          },
          [this](const std::string& text) {
              // A port that fails has ended the transfer; the box says why, and nothing more is waited for.
              EndTransfer();
              ShowSystemErrorBox(wxString::FromUTF8(text));
          }),
      m_port(m_portOwner),
      m_hIcon(AppIconBundle()),
      m_reception(TimingForLine(kBaudRate)),
      m_receptionTimer(this) {
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
    // The window is going: notifications from here on address nothing. The monitor itself
    // is stopped and joined when m_port is destroyed, right after this.
    m_portOwner.Detach();
    m_port.SignalShutdown();
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
    m_receptionTimer.Stop();  // a transfer under way is given up: nothing may time out while the port is reopened
    const int portNumber = m_portCombo->GetSelection() + 1;
    if (m_port.OpenPort(&m_portOwner, portNumber, kBaudRate, kParity, kDataBits, kStopBits, EV_RXCHAR | EV_RXFLAG,
                        kWriteBufferSize)) {
        m_port.StartMonitor();
        m_transferPort = portNumber;
        // A detector may still be sending an earlier answer: the request waits until the line is quiet.
        m_reception.Begin(DumpReception::Clock::now());
        m_receptionTimer.Start(kReceptionTickMilliseconds);
    } else {
        m_reception.Stop();
        ShowWarningBox(this, wxString::FromUTF8(PortOpenFailureText(portNumber, m_port.LastOpenFailure())));
    }
    m_progress->SetValue(0);
}

void CUploadDlg::SendRequest() { m_port.QueueWrite(&kRequestByte, 1); }

void CUploadDlg::EndTransfer() {
    m_reception.Stop();
    m_receptionTimer.Stop();
}

void CUploadDlg::OnPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == WM_PORT_RXCHAR) {
        OnPortRxChar(wParam, lParam);
    }
}

void CUploadDlg::OnPortRxChar(std::uintptr_t wParam, std::intptr_t) {
    const std::size_t count =
        m_reception.StoreByte(static_cast<std::uint8_t>(wParam & 0xFF), DumpReception::Clock::now());
    if (count != 0) {
        m_progress->SetValue(static_cast<int>(count));
    }
}

void CUploadDlg::OnReceptionTick() {
    // Each outcome but None ends the transfer, so the boxes below never see another tick.
    switch (m_reception.Tick(DumpReception::Clock::now(), m_port.HasUnhandledInput())) {
        case DumpReception::Outcome::None: ShowWaiting(); break;
        case DumpReception::Outcome::SendRequest: SendRequest(); break;
        case DumpReception::Outcome::LineNeverQuiet:
            EndTransfer();
            m_progress->SetValue(0);
            ShowWarningBox(this, wxString::FromUTF8(BusyLineText(m_transferPort)));
            break;
        case DumpReception::Outcome::NoAnswer:
            EndTransfer();
            m_progress->SetValue(0);
            ShowWarningBox(this, wxString::FromUTF8(NoAnswerText(m_transferPort)));
            break;
        case DumpReception::Outcome::AnswerStopped:
            EndTransfer();
            ShowWarningBox(this, wxString::FromUTF8(StoppedAnswerText(m_transferPort, m_reception.Findings().length)));
            break;
        case DumpReception::Outcome::AnswerEnded:
            EndTransfer();
            ShowAnswer();
            break;
    }
}

// The bar moves to and fro while velanto waits for a quiet line or for the first byte of the answer.
void CUploadDlg::ShowWaiting() {
    const DumpReception::Phase phase = m_reception.CurrentPhase();
    const auto now = DumpReception::Clock::now();
    if ((phase == DumpReception::Phase::WaitingForQuiet || phase == DumpReception::Phase::AwaitingAnswer) &&
        now - m_lastPulse >= kPulseInterval) {
        m_progress->Pulse();
        m_lastPulse = now;
    }
}

void CUploadDlg::ShowAnswer() {
    const AnswerFindings findings = m_reception.Findings();
    if (!findings.IsSound() && !AskWarningQuestion(this, wxString::FromUTF8(DamagedAnswerQuestion(findings)))) {
        return;
    }
    // Filled unseen and shown once: a repaint and a scroll-bar update for each of 2000 rows take
    // many seconds on some list-view controls.
    const wxWindowUpdateLocker frozen(m_recordList);
    m_recordList->RemoveAllRows();
    DecodeDump(m_reception.Image(), *m_recordList);
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
