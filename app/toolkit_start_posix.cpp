#include <signal.h>
#include <stdlib.h>

#include <wx/init.h>

#include "app/toolkit_start.h"

namespace velanto {

bool StartToolkit(int& argc, char** argv) {
    // The dialogs draw nothing with OpenGL, but GTK probes the GL driver as it opens the display,
    // which maps the driver (with a software renderer, all of LLVM): some 50 MiB resident for
    // nothing. An operator's own GDK_GL setting is left as it is.
    ::setenv("GDK_GL", "disable", 0);
    // A save past the file-size limit is then a write that fails, told like a full disk,
    // rather than the end of the process and of the rows on screen, their only copy.
    ::signal(SIGXFSZ, SIG_IGN);
    return wxEntryStart(argc, argv);
}

}  // namespace velanto
