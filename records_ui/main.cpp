// velanto-records: every result a lab has downloaded from its ATP detector, kept once. With a command it
// works on the command line; without one it opens its window.

#include <wx/init.h>

#include <iostream>
#include <string>
#include <vector>

#include "records/command_line.h"
#include "records/program_arguments.h"
#include "records_ui/console.h"
#include "records_ui/records_app.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = velanto::ProgramArguments(argc, argv);
    if (const std::optional<int> status = velanto::RunCommandLine(arguments, std::cout, std::cerr)) {
        return *status;
    }
    velanto::LeaveConsoleOfOurOwn();
    wxApp::SetInstance(new velanto::RecordsApp(velanto::WindowDatabase(arguments)));
    return wxEntry(argc, argv);
}
