#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "store/store_address.h"

namespace velanto {

// The store the program uses without --database: ${XDG_DATA_HOME:-~/.local/share}/velanto/records.sqlite,
// on Windows %LOCALAPPDATA%\velanto\records.sqlite.
std::filesystem::path DefaultDatabasePath();

// Runs velanto-records' command line (the arguments after the program's name, in UTF-8), printing to `out`
// and `err`.
// The exit status: 0 on success, 1 when a file or the store failed, 2 for a wrong command line; nothing when
// no command was given, and the window is to open.
std::optional<int> RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

// The store named by --database in a command line that opens the window (a file, or a server's
// "odbc:..."); nothing when none is named.
std::optional<StoreAddress> WindowDatabase(std::span<const std::string> arguments);

}  // namespace velanto
