#include "xlsdriver/utf8.h"

#include <cstdint>

namespace velanto {
namespace {

// Decodes the code point that starts at `pos` and advances past it; false for a malformed sequence.
bool DecodeOne(std::string_view text, std::size_t& pos, char32_t& codePoint) {
    const auto lead = static_cast<std::uint8_t>(text[pos]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return false;
    }
    if (text.size() - pos < length) {
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsUtf8Continuation(text[pos + i])) {
            return false;
        }
        codePoint = codePoint << 6 | (static_cast<std::uint8_t>(text[pos + i]) & 0x3F);
    }
    pos += length;
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint >= minimum && codePoint <= 0x10FFFF && !surrogate;
}

}  // namespace

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t codePoint = 0;
        if (!DecodeOne(text, pos, codePoint)) {
            return std::nullopt;
        }
        if (codePoint < 0x10000) {
            result.push_back(static_cast<char16_t>(codePoint));
        } else {
            codePoint -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        }
    }
    return result;
}

std::optional<std::size_t> Utf16Length(std::string_view text) {
    std::size_t units = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t codePoint = 0;
        if (!DecodeOne(text, pos, codePoint)) {
            return std::nullopt;
        }
        units += codePoint < 0x10000 ? 1 : 2;
    }
    return units;
}

}  // namespace velanto
