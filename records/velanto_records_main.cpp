// velanto-records: every result a lab has downloaded from its ATP detector, kept once.

#include <iostream>
#include <string>
#include <vector>

#include "records/command_line.h"
#include "records/program_arguments.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = velanto::ProgramArguments(argc, argv);
    if (const std::optional<int> status = velanto::RunCommandLine(arguments, std::cout, std::cerr)) {
        return *status;
    }
    std::cerr << "velanto-records: the window is not built yet; see velanto-records --help\n";
    return 2;
}
