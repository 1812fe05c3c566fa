#include "app/upload_dlg.h"

#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/menu.h>

#include "app/about_box.h"
#include "app/app_icon.h"
#include "app/app_strings.h"
#include "app/message_boxes.h"
#include "app/port_open_failure_text.h"
#include "app/record_list_view.h"
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

// The folder chosen last in this run; a cancelled chooser leaves it as it is.
std::string s_browsePath;

RecordListView* MakeRecordList(wxWindow* parent, const ControlTemplate& control, wxPoint position, wxSize size) {
    return new RecordListView(parent, control.id, position, size);
}

template <typename Control>
Control* ControlById(wxWindow& dialog, int id) {
    return dynamic_cast<Control*>(dialog.FindWindow(id));
}

}  // namespace

CUploadDlg::CUploadDlg(wxWindow* parent, ExportUi* exportUi)
    : TemplateDialog(parent, kMainDialogTemplate, MakeRecordList),
      m_recordList(ControlById<RecordListView>(*this, kRecordListId)),
      m_progress(ControlById<wxGauge>(*this, kProgressId)),
      m_portCombo(ControlById<wxChoice>(*this, kPortComboId)),
      m_formatCombo(ControlById<wxChoice>(*this, kFormatComboId)),
      m_wxExportUi(*this),
      m_exportUi(exportUi ? *exportUi : m_wxExportUi),
      m_portOwner(
          *this, [this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
              OnPortMessage(message, wParam, lParam);
          },
          [](const std::string& text) { ShowSystemErrorBox(wxString::FromUTF8(text)); }),
      m_port(m_portOwner),
      m_hIcon(AppIconBundle()) {
    SetUpControls();
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { DispatchCommand(&CUploadDlg::OnStart); }, kStartButtonId);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { DispatchCommand(&CUploadDlg::OnSave); }, kSaveButtonId);
    Bind(wxEVT_CONTEXT_MENU, &CUploadDlg::OnContextMenu, this);
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
    const int portNumber = m_portCombo->GetSelection() + 1;
    if (m_port.OpenPort(&m_portOwner, portNumber, kBaudRate, kParity, kDataBits, kStopBits, EV_RXCHAR | EV_RXFLAG,
                        kWriteBufferSize)) {
        // Each request is answered by a whole image: whatever an earlier transfer left
        // unfinished must not shift this one.
        m_reception.Restart();
        m_port.StartMonitor();
    } else {
        ShowWarningBox(this, wxString::FromUTF8(PortOpenFailureText(portNumber, m_port.LastOpenFailure())));
    }
    SendRequest();
    m_progress->SetValue(0);
}

void CUploadDlg::SendRequest() { m_port.QueueWrite(&kRequestByte, 1); }

void CUploadDlg::OnPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == WM_PORT_RXCHAR) {
        OnPortRxChar(wParam, lParam);
    }
}

void CUploadDlg::OnPortRxChar(std::uintptr_t wParam, std::intptr_t) {
    const std::size_t count = m_reception.StoreByte(static_cast<std::uint8_t>(wParam & 0xFF));
    m_progress->SetValue(static_cast<int>(count));
    if (m_reception.IsComplete()) {
        m_recordList->RemoveAllRows();
        DecodeDump(m_reception.Image(), *m_recordList);
        m_reception.Restart();
    }
}

void CUploadDlg::OnSave() {
    switch (m_formatCombo->GetSelection()) {
        case 0:
            SaveAsSpreadsheet(*m_recordList, kSpreadsheetTableName, m_exportUi);
            break;
        case 1:
            SaveAsText();
            break;
        default:
            break;
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

void CUploadDlg::OnContextMenu(wxContextMenuEvent&) {
    wxMenu menu;
    menu.AppendSeparator();
    menu.Append(kAboutCommand, wxString::FromUTF8(kAboutItemText));
    PopupMenu(&menu);
}

bool CUploadDlg::OnEnter(wxWindow* focus) {
    if (IsWithin(focus, m_recordList) || IsWithin(focus, m_portCombo) || IsWithin(focus, m_formatCombo)) {
        Finish(kOkId);
        return true;
    }
    return false;
}

}  // namespace velanto
