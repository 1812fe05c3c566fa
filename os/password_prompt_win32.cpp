#include "os/password_prompt.h"
#include "os/terminal_echo.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

namespace velanto {

struct TerminalEchoOff::Before {
    HANDLE input;
    DWORD mode;
};

TerminalEchoOff::TerminalEchoOff() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(input, &mode) != 0 &&
        ::SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0) {
        m_before = std::make_unique<Before>(Before{input, mode});
    }
}

TerminalEchoOff::~TerminalEchoOff() {
    if (m_before) {
        ::SetConsoleMode(m_before->input, m_before->mode);
        std::cerr << '\n';  // the Return typed was not echoed either
    }
}

bool StandardInputIsTerminal() { return ::_isatty(::_fileno(stdin)) != 0; }

}  // namespace velanto
