#include "records_ui/console.h"

#include <windows.h>

namespace velanto {

void LeaveConsoleOfOurOwn() {
    DWORD processes[2];
    // Only this process on the console: it was made for it, not the one of a command prompt.
    if (::GetConsoleProcessList(processes, 2) == 1) {
        ::FreeConsole();
    }
}

}  // namespace velanto
