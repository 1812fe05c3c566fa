#pragma once

namespace velanto {

// Prepares the process for velanto and starts the toolkit; false when the toolkit cannot start
// (no display, for one).
bool StartToolkit(int& argc, char** argv);

}  // namespace velanto
