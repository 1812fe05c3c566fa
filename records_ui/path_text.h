#pragma once

#include <wx/string.h>

#include <filesystem>

#include "os/utf8_path.h"

namespace velanto {

// A file name the toolkit gave, as a path on every system.
inline std::filesystem::path PathOf(const wxString& name) { return PathFromUtf8(name.utf8_string()); }

inline wxString TextOf(const std::filesystem::path& path) { return wxString::FromUTF8(Utf8Of(path)); }

}  // namespace velanto
