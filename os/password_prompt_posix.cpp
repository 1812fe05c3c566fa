#include "os/password_prompt.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

namespace velanto {
namespace {

// Turns the terminal's echo off while it lives, and back to what it was after.
class EchoOff {
public:
    EchoOff() : m_changed(::tcgetattr(STDIN_FILENO, &m_before) == 0) {
        if (m_changed) {
            termios quiet = m_before;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;  // the Return still ends the line the prompt began
            m_changed = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~EchoOff() {
        if (m_changed) {
            ::tcsetattr(STDIN_FILENO, TCSANOW, &m_before);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios m_before{};
    bool m_changed;
};

}  // namespace

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

std::optional<std::string> AskPasswordAtTerminal(std::string_view prompt) {
    const EchoOff quiet;  // before the prompt: whatever is typed after it must not show
    std::cerr << prompt << std::flush;
    std::string password;
    if (!std::getline(std::cin, password)) {
        return std::nullopt;
    }
    return password;
}

}  // namespace velanto
