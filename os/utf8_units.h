#pragma once

#include <cstddef>
#include <string_view>

namespace velanto {

// What the code page 936 conversions of every system take as one character of UTF-8 text, so
// that each gives one '?' for each character GBK lacks and for each broken sequence.

inline bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The bytes of the character or broken sequence that `text` (not empty) begins with: a lead
// byte with at most as many continuation bytes as it announces, or a run of stray continuation
// bytes.
inline std::size_t Utf8UnitLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t announced = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    const std::size_t limit = IsUtf8Continuation(text[0]) ? text.size() : announced;
    std::size_t length = 1;
    while (length < text.size() && length < limit && IsUtf8Continuation(text[length])) {
        ++length;
    }
    return length;
}

}  // namespace velanto
