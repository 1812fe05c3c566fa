#include "records/program_arguments.h"

namespace velanto {

// The arguments' bytes as given: file names are UTF-8 wherever velanto runs on POSIX.
std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

}  // namespace velanto
