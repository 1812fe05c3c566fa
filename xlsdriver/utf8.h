#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velanto {

// The driver is loaded into other programs and links nothing of velanto's; this is its own
// copy of os/utf8_units.h's test.
inline bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The UTF-16 form of well-formed UTF-8 text; nothing for bytes that are not UTF-8
// (overlong forms, surrogates and code points past U+10FFFF included).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// The number of UTF-16 units that well-formed UTF-8 text takes; nothing when it is not UTF-8.
std::optional<std::size_t> Utf16Length(std::string_view text);

}  // namespace velanto
