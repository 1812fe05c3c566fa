#pragma once

#include <memory>

namespace velanto {

// Turns the echo of the terminal (the console on Windows) on standard input off while it lives, and back to
// what it was after; does nothing where standard input is no terminal.
class TerminalEchoOff {
public:
    TerminalEchoOff();
    ~TerminalEchoOff();
    TerminalEchoOff(const TerminalEchoOff&) = delete;
    TerminalEchoOff& operator=(const TerminalEchoOff&) = delete;

private:
    struct Before;  // the system's own settings to go back to
    std::unique_ptr<Before> m_before;
};

}  // namespace velanto
