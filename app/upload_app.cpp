#include "app/upload_app.h"

#include <wx/stdpaths.h>

#include "app/help_book.h"
#include "app/upload_dlg.h"

namespace velanto {

CUploadApp::CUploadApp() = default;

CUploadApp::~CUploadApp() = default;

bool CUploadApp::OnInit() {
    m_help = std::make_unique<HelpBook>(HelpBook::BookPathFor(wxStandardPaths::Get().GetExecutablePath()));
    Bind(wxEVT_HELP, &CUploadApp::OnHelp, this);
    {
        CUploadDlg dialog(nullptr);
        SetTopWindow(&dialog);
        dialog.ShowModal();
    }
    return false;
}

void CUploadApp::OnHelp(wxHelpEvent& event) {
    m_help->Show(event.GetId(), dynamic_cast<wxWindow*>(event.GetEventObject()));
}

}  // namespace velanto
