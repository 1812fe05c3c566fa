#include "os/password_prompt.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

namespace velanto {
namespace {

// Turns the console's echo off while it lives, and back to what it was after.
class EchoOff {
public:
    EchoOff() : m_input(::GetStdHandle(STD_INPUT_HANDLE)), m_changed(::GetConsoleMode(m_input, &m_before) != 0) {
        if (m_changed) {
            m_changed = ::SetConsoleMode(m_input, m_before & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
        }
    }
    ~EchoOff() {
        if (m_changed) {
            ::SetConsoleMode(m_input, m_before);
            std::cerr << '\n';  // the Return typed was not echoed either
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    HANDLE m_input;
    DWORD m_before = 0;
    bool m_changed;
};

}  // namespace

bool StandardInputIsTerminal() { return ::_isatty(::_fileno(stdin)) != 0; }

std::optional<std::string> AskPasswordAtTerminal(std::string_view prompt) {
    const EchoOff quiet;  // before the prompt: whatever is typed after it must not show
    std::cerr << prompt << std::flush;
    std::string password;
    if (!std::getline(std::cin, password)) {
        return std::nullopt;
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return password;
}

}  // namespace velanto
