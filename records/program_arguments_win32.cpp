#include "records/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

namespace velanto {
namespace {

struct LocalFreer {
    void operator()(wchar_t** arguments) const { ::LocalFree(arguments); }
};

std::string Utf8Of(const wchar_t* wide) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(length > 0 ? static_cast<std::size_t>(length) : 1, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back();  // the terminating null
    return utf8;
}

}  // namespace

// main's arguments are in the ANSI code page, which lacks most characters a file's name may hold:
// they are read again from the command line as the system keeps it, in UTF-16.
std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    const std::unique_ptr<wchar_t*, LocalFreer> wide(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int index = 1; wide && index < count; ++index) {
        arguments.push_back(Utf8Of(wide.get()[index]));
    }
    return arguments;
}

}  // namespace velanto
