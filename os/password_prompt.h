#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velanto {

// True when the process's standard input is a terminal, where a person can be asked for a password.
bool StandardInputIsTerminal();

// Asks the person at the terminal for a password: shows `prompt` on standard error and reads one line from
// standard input with its echo off, so that the password never shows. Nothing when the input ended first.
std::optional<std::string> AskPasswordAtTerminal(std::string_view prompt);

}  // namespace velanto
