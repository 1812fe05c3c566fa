#include <cstdlib>

#include "records/command_line.h"

namespace velanto {

std::filesystem::path DefaultDatabasePath() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path base = dataHome && *dataHome
                                           ? std::filesystem::path(dataHome)
                                           : std::filesystem::path(home ? home : ".") / ".local/share";
    return base / "velanto" / "records.sqlite";
}

}  // namespace velanto
