#include "os/password_prompt.h"

#include <iostream>

#include "os/terminal_echo.h"

namespace velanto {

std::optional<std::string> AskPasswordAtTerminal(std::string_view prompt) {
    const TerminalEchoOff quiet;  // before the prompt: whatever is typed after it must not show
    std::cerr << prompt << std::flush;
    std::string password;
    if (!std::getline(std::cin, password)) {
        return std::nullopt;
    }
    if (!password.empty() && password.back() == '\r') {  // a console's line end
        password.pop_back();
    }
    return password;
}

}  // namespace velanto
