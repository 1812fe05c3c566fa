#include <stdlib.h>

#include "records/command_line.h"

namespace velanto {

// Read as UTF-16: a user's name, and with it the folder, may hold any character.
std::filesystem::path DefaultDatabasePath() {
    const wchar_t* localAppData = ::_wgetenv(L"LOCALAPPDATA");
    const std::filesystem::path base = localAppData && *localAppData ? localAppData : L".";
    return base / "velanto" / "records.sqlite";
}

}  // namespace velanto
