#include "os/terminal.h"

#include <io.h>

#include <cstdio>

namespace velanto {

bool StandardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

}  // namespace velanto
