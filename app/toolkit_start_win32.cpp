#include <wx/init.h>
#include <wx/msw/wrapwin.h>

#include "app/toolkit_start.h"

namespace velanto {

// The module handle is where wx looks for the program's resources (velanto.rc): its icons,
// cursors and the manifest's common controls.
bool StartToolkit(int&, char**) { return wxEntryStart(::GetModuleHandle(nullptr)); }

}  // namespace velanto
