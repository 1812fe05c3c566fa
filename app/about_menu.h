#pragma once

class wxTopLevelWindow;

namespace velanto {

// Offers the About item, command kAboutCommand, where the system keeps a window's own commands:
// its system menu on Windows; elsewhere, where the toolkit lets no program into that menu, a
// menu on right-click or the Menu key. Choosing it sends the window a menu event with that id.
void OfferAboutItem(wxTopLevelWindow& window);

}  // namespace velanto
