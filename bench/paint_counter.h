#pragma once

#include <wx/window.h>

namespace velanto::bench {

// Counts the paints of a list's rows, which the generic list draws in a child window.
class PaintCounter {
public:
    explicit PaintCounter(wxWindow& list) {
        for (wxWindow* child : list.GetChildren()) {
            child->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
                ++m_paints;
                event.Skip();
            });
        }
    }
    int Paints() const { return m_paints; }

private:
    int m_paints = 0;
};

}  // namespace velanto::bench
