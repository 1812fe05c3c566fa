#pragma once

namespace velanto {

// True when the process's standard error goes to a terminal, where a progress line may be redrawn.
bool StandardErrorIsTerminal();

}  // namespace velanto
