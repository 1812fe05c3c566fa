#pragma once

#include <wx/string.h>

#include <memory>

class wxHtmlHelpController;
class wxWindow;

namespace velanto {

// velanto's help: an HTML book whose pages carry the dialogs' help contexts.
class HelpBook {
public:
    explicit HelpBook(const wxString& bookPath);
    ~HelpBook();

    // Shows the page of `context`; false when the book or the page cannot be found. A missing
    // book is named in a warning box owned by `owner`.
    bool Show(int context, wxWindow* owner);

    // The book beside the executable ("velanto" -> "velanto.htb"), or where installation puts it.
    static wxString BookPathFor(const wxString& executablePath);

    // The page shown last, for checking which context was opened.
    wxString OpenedPage() const;

private:
    wxString m_bookPath;
    std::unique_ptr<wxHtmlHelpController> m_controller;
};

}  // namespace velanto
