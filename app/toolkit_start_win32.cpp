#include <wx/init.h>
#include <wx/msw/wrapwin.h>

#include "app/toolkit_start.h"

namespace velanto {

// wx finds the program's resources (velanto.rc: the icon, wx's own cursors) through the module
// handle given here, and reads the command line from the system itself.
bool StartToolkit(int&, char**) { return wxEntryStart(::GetModuleHandle(nullptr)); }

}  // namespace velanto
