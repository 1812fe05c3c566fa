#pragma once

#include <string>
#include <vector>

namespace velanto {

// The arguments the program was started with, after its name, in UTF-8 on every system.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace velanto
