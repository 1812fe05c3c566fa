#pragma once

#include <wx/confbase.h>

#include <optional>

#include "store/store_address.h"

namespace velanto {

// The store the window opened last, kept in the settings to open again at the next start: a file's path,
// or a server's address without its password, which the window asks for again.
void RememberStore(wxConfigBase& settings, const StoreAddress& address);
std::optional<StoreAddress> LastStore(wxConfigBase& settings);
// The server store opened last, as the Open Database Server dialog offers it; empty for none.
wxString LastServer(wxConfigBase& settings);

}  // namespace velanto
