#include "os/password_prompt.h"
#include "os/terminal_echo.h"

#include <termios.h>
#include <unistd.h>

namespace velanto {

struct TerminalEchoOff::Before {
    termios settings;
};

TerminalEchoOff::TerminalEchoOff() {
    termios before{};
    if (::tcgetattr(STDIN_FILENO, &before) != 0) {
        return;
    }
    termios quiet = before;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;  // the Return still ends the line the prompt began
    if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0) {
        m_before = std::make_unique<Before>(Before{before});
    }
}

TerminalEchoOff::~TerminalEchoOff() {
    if (m_before) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &m_before->settings);
    }
}

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

}  // namespace velanto
