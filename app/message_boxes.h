#pragma once

#include <wx/string.h>
#include <wx/window.h>

namespace velanto {

// The program's message box: the application's name as caption, warning icon, one OK button.
void ShowWarningBox(wxWindow* owner, const wxString& text);

// A warning that asks: the application's name as caption, Yes and No buttons, No the default.
// True when the operator answers Yes.
bool AskWarningQuestion(wxWindow* owner, const wxString& text);

// An error that ended a command: the application's name as caption, stop icon, one OK button.
void ShowStopBox(wxWindow* owner, const wxString& text);

// The port's system-error box: no owner, "Application Error", error icon, one OK button.
void ShowSystemErrorBox(const wxString& text);

}  // namespace velanto
