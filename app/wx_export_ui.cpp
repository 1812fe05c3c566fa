#include "app/wx_export_ui.h"

#include <wx/app.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "app/message_boxes.h"

namespace velanto {
namespace {

wxString Text(const std::string& utf8) { return wxString::FromUTF8(utf8); }

// The dialog confirmed the name as typed; a file behind the name with the extension added
// has not been confirmed yet.
bool ConfirmReplacing(wxWindow& owner, const wxString& path) {
    wxMessageDialog box(&owner, wxString::Format("%s already exists.\nDo you want to replace it?", path),
                        wxTheApp->GetAppName(), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING);
    return box.ShowModal() == wxID_YES;
}

}  // namespace

wxString FilterWildcard(const SaveFileRequest& request) {
    wxString wildcard;
    for (const auto& [description, pattern] : request.filters) {
        if (!wildcard.empty()) {
            wildcard += "|";
        }
        wildcard += Text(description) + "|" + Text(pattern);
    }
    return wildcard;
}

void WxExportUi::ShowMessage(const std::string& text) { ShowWarningBox(&m_owner, Text(text)); }

void WxExportUi::ShowInformation(const std::string& title, const std::string& text) {
    wxMessageDialog box(&m_owner, Text(text), Text(title), wxOK | wxICON_INFORMATION);
    box.ShowModal();
}

std::optional<std::string> WxExportUi::AskSavePath(const SaveFileRequest& request) {
    wxFileDialog dialog(&m_owner, Text(request.title), wxEmptyString, Text(request.proposedName),
                        FilterWildcard(request), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    dialog.SetFilterIndex(0);
    if (dialog.ShowModal() != wxID_OK || dialog.GetPath().empty()) {
        return std::nullopt;
    }
    wxString path = dialog.GetPath();
    if (wxFileName(path).GetExt().empty() && !request.defaultExtension.empty()) {
        path += "." + Text(request.defaultExtension);
        if (wxFileName::Exists(path) && !ConfirmReplacing(m_owner, path)) {
            return std::nullopt;
        }
    }
    return path.utf8_string();
}

std::optional<std::string> WxExportUi::ChooseFolder(const std::string& title) {
    // Opened without a folder, GTK's chooser shows its recent files, where no folder can be
    // chosen; the home folder is the browsable top an operator expects.
    wxDirDialog dialog(&m_owner, Text(title), wxGetHomeDir(), wxDD_DEFAULT_STYLE);
    if (dialog.ShowModal() != wxID_OK || dialog.GetPath().empty()) {
        return std::nullopt;
    }
    return dialog.GetPath().utf8_string();
}

}  // namespace velanto
