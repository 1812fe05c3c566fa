#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velanto {

// The UTF-16 form of well-formed UTF-8 text; nothing for bytes that are not UTF-8
// (overlong forms, surrogates and code points past U+10FFFF included).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// The number of UTF-16 units that well-formed UTF-8 text takes; nothing when it is not UTF-8.
std::optional<std::size_t> Utf16Length(std::string_view text);

}  // namespace velanto
