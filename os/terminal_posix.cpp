#include "os/terminal.h"

#include <unistd.h>

namespace velanto {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace velanto
