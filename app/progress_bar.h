#pragma once

#include <wx/gauge.h>

namespace velanto {

// A horizontal progress bar that fills its whole rectangle, as a template's progress bar does;
// GTK's own bar would draw a thin line across the middle of it.
class ProgressBar final : public wxGauge {
public:
    ProgressBar(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size);
};

}  // namespace velanto
