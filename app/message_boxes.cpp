#include "app/message_boxes.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "app/app_strings.h"

namespace velanto {

void ShowWarningBox(wxWindow* owner, const wxString& text) {
    wxMessageDialog box(owner, text, wxTheApp->GetAppName(), wxOK | wxICON_WARNING);
    box.ShowModal();
}

bool AskWarningQuestion(wxWindow* owner, const wxString& text) {
    wxMessageDialog box(owner, text, wxTheApp->GetAppName(), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING);
    return box.ShowModal() == wxID_YES;
}

void ShowStopBox(wxWindow* owner, const wxString& text) {
    wxMessageDialog box(owner, text, wxTheApp->GetAppName(), wxOK | wxICON_STOP);
    box.ShowModal();
}

void ShowSystemErrorBox(const wxString& text) {
    wxMessageDialog box(nullptr, text, kSystemErrorTitle, wxOK | wxICON_ERROR);
    box.ShowModal();
}

}  // namespace velanto
