// velanto's entry point.

#include <signal.h>
#include <stdlib.h>

#include <wx/init.h>

#include "app/upload_app.h"

wxIMPLEMENT_APP_NO_MAIN(velanto::CUploadApp);

// The application's start-up runs the whole dialog and then returns false, which wx's own
// entry point would report as a failure; here the process ends normally after the dialog,
// and fails only when the toolkit cannot start (no display, for one).
int main(int argc, char** argv) {
    // The dialogs draw nothing with OpenGL, but GTK probes the GL driver as it opens the display,
    // which maps the driver (with a software renderer, all of LLVM): some 50 MiB resident for
    // nothing. An operator's own GDK_GL setting is left as it is.
    ::setenv("GDK_GL", "disable", 0);
    // A save past the file-size limit is then a write that fails, told like a full disk,
    // rather than the end of the process and of the rows on screen, their only copy.
    ::signal(SIGXFSZ, SIG_IGN);
    if (!wxEntryStart(argc, argv)) {
        return 1;
    }
    wxTheApp->CallOnInit();
    wxEntryCleanup();
    return 0;
}
