#pragma once

#include <wx/string.h>

#include <memory>

class wxHtmlHelpController;

namespace velanto {

// velanto's help: an HTML book whose pages carry the dialogs' help contexts.
class HelpBook {
public:
    explicit HelpBook(const wxString& bookPath);
    ~HelpBook();

    // Shows the page of `context`; false when the book or the page cannot be found.
    bool Show(int context);

    // The book beside the executable ("velanto" -> "velanto.htb"), or where installation puts it.
    static wxString BookPathFor(const wxString& executablePath);

    // The page shown last, for checking which context was opened.
    wxString OpenedPage() const;

private:
    wxString m_bookPath;
    std::unique_ptr<wxHtmlHelpController> m_controller;
};

}  // namespace velanto
