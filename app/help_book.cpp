#include "app/help_book.h"

#include <wx/filename.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>

#include "app/app_strings.h"
#include "app/message_boxes.h"

namespace velanto {

HelpBook::HelpBook(const wxString& bookPath) : m_bookPath(bookPath) {
    // The book is a zip archive: wx reads it through its archive file system.
    static const bool archivesReadable = (wxFileSystem::AddHandler(new wxArchiveFSHandler), true);
    (void)archivesReadable;
}

HelpBook::~HelpBook() = default;

bool HelpBook::Show(int context, wxWindow* owner) {
    if (!m_controller) {
        if (!wxFileName::FileExists(m_bookPath)) {
            ShowWarningBox(owner, wxString::FromUTF8(kHelpBookMissingText) + m_bookPath);
            return false;
        }
        auto controller = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE);
        if (!controller->AddBook(wxFileName(m_bookPath))) {
            return false;
        }
        m_controller = std::move(controller);
    }
    return m_controller->Display(context);
}

wxString HelpBook::BookPathFor(const wxString& executablePath) {
    wxFileName beside(executablePath);
    beside.SetExt("htb");
    if (beside.FileExists()) {
        return beside.GetFullPath();
    }
    wxFileName installed(beside);
    installed.RemoveLastDir();
    installed.AppendDir("share");
    installed.AppendDir("velanto");
    return installed.GetFullPath();
}

wxString HelpBook::OpenedPage() const {
    if (!m_controller || !m_controller->GetHelpWindow()) {
        return {};
    }
    return m_controller->GetHelpWindow()->GetHtmlWindow()->GetOpenedPage();
}

}  // namespace velanto
