#include "app/progress_bar.h"

#include <string>

namespace velanto {

ProgressBar::ProgressBar(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size)
    : wxGauge(parent, id, 100, position, size, wxGA_HORIZONTAL) {
#ifdef __WXGTK3__
    // GTK gives the trough the height of its content and centres it in the rectangle: make the
    // trough's one-pixel frame and the bar inside it as tall as the rectangle.
    const std::string inside = std::to_string(size.y - 2) + "px";
    const std::string css = "progressbar trough { border-width: 1px; padding: 0; min-height: " + inside + "; }" +
                            "progressbar progress { border-width: 0; margin: 0; min-height: " + inside + "; }";
    GTKApplyCssStyle(css.c_str());
#endif
}

}  // namespace velanto
