#include "app/about_menu.h"

#include <wx/menu.h>
#include <wx/toplevel.h>

#include "app/app_strings.h"

namespace velanto {

void OfferAboutItem(wxTopLevelWindow& window) {
    window.Bind(wxEVT_CONTEXT_MENU, [&window](wxContextMenuEvent&) {
        wxMenu menu;
        menu.Append(kAboutCommand, wxString::FromUTF8(kAboutItemText));
        window.PopupMenu(&menu);
    });
}

}  // namespace velanto
