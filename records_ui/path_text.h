#pragma once

#include <wx/string.h>

#include <filesystem>
#include <string>

namespace velanto {

// A file name the toolkit gave, as a path on every system (UTF-8 in between, which both understand).
inline std::filesystem::path PathOf(const wxString& name) {
    const std::string utf8 = name.utf8_string();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline wxString TextOf(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return wxString::FromUTF8(reinterpret_cast<const char*>(utf8.data()), utf8.size());
}

}  // namespace velanto
