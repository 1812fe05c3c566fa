// velanto's entry point.

#include <wx/init.h>

#include "app/toolkit_start.h"
#include "app/upload_app.h"

wxIMPLEMENT_APP_NO_MAIN(velanto::CUploadApp);

// The application's start-up runs the whole dialog and then returns false, which wx's own
// entry point would report as a failure; here the process ends normally after the dialog,
// and fails only when the toolkit cannot start (no display, for one).
int main(int argc, char** argv) {
    if (!velanto::StartToolkit(argc, argv)) {
        return 1;
    }
    wxTheApp->CallOnInit();
    wxEntryCleanup();
    return 0;
}
