#pragma once

#include <wx/dialog.h>

#include <functional>

#include "app/dialog_template.h"

namespace velanto {

// A dialog whose caption, font, size and controls come from a dialog template.
class TemplateDialog : public wxDialog {
public:
    // Makes the window for a list-view entry of the template; every other kind is built here.
    using ListViewFactory = std::function<wxWindow*(wxWindow* parent, const ControlTemplate&, wxPoint, wxSize)>;

    TemplateDialog(wxWindow* parent, const DialogTemplate& layout, const ListViewFactory& makeListView = {});

    const DialogTemplate& Layout() const { return m_layout; }

protected:
    // Enter pressed while `focus` has the keyboard focus and is not a button; true when handled.
    virtual bool OnEnter(wxWindow* focus);
    // Ends the modal run with `result` (1 for OK, 2 for Cancel).
    void Finish(int result);

private:
    // The pixel rectangle of a template rectangle, with the dialog's own font: each edge is
    // converted on its own, as the dialog manager maps a template.
    wxRect ToPixels(const DialogUnitRect& rect) const;
    wxWindow* CreateControl(const ControlTemplate& control, const ListViewFactory& makeListView);
    // F1 asks the application for this dialog's help; Escape cancels; Enter presses the focused button.
    void OnCharHook(wxKeyEvent& event);

    const DialogTemplate& m_layout;
};

// True when `window` is `ancestor` or lies inside it.
bool IsWithin(const wxWindow* window, const wxWindow* ancestor);

// The template's font when the system has it, else the nearest font that renders Chinese text.
wxFont DialogFont(const DialogTemplate& layout);

}  // namespace velanto
