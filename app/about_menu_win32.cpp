#include "app/about_menu.h"

#include <wx/menu.h>
#include <wx/toplevel.h>

#include "app/app_strings.h"

namespace velanto {

// wx wraps the window's system menu; the items added to it send menu events like any other menu's.
void OfferAboutItem(wxTopLevelWindow& window) {
    if (wxMenu* systemMenu = window.MSWGetSystemMenu()) {
        systemMenu->AppendSeparator();
        systemMenu->Append(kAboutCommand, wxString::FromUTF8(kAboutItemText));
    }
}

}  // namespace velanto
