#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velanto {

// A path named by UTF-8 text, the encoding velanto's strings carry. On Windows a path made from a
// plain std::string would read it in another code page.
inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// A path's name as UTF-8 text, as SQLite takes file names on every system.
inline std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace velanto
