#pragma once

namespace velanto {

// The program is a console program, so that its command line prints where it was started; opening its
// window from the desktop, it closes the console the system made for it alone.
void LeaveConsoleOfOurOwn();

}  // namespace velanto
