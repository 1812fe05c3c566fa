#include "os/gbk_text.h"

#include <windows.h>

#include "os/utf8_units.h"

namespace velanto {
namespace {

constexpr UINT kGbkCodePage = 936;

// One UTF-8 character in code page 936, or '?' for one that it lacks or that is broken.
std::string Character936(std::string_view character) {
    wchar_t wide[2];
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, character.data(),
                                                 static_cast<int>(character.size()), wide, 2);
    char bytes[4];
    BOOL lacking = FALSE;
    const int length = wideLength > 0 ? ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, wideLength,
                                                              bytes, sizeof bytes, nullptr, &lacking)
                                      : 0;
    return length > 0 && !lacking ? std::string(bytes, length) : "?";
}

}  // namespace

// Character by character, so that each one GBK lacks, and each broken sequence, becomes a
// single '?'.
std::string ToCodePage936(std::string_view utf8) {
    std::string out;
    for (std::size_t start = 0; start < utf8.size();) {
        if (static_cast<unsigned char>(utf8[start]) < 0x80) {
            out += utf8[start++];
            continue;
        }
        const std::size_t length = Utf8UnitLength(utf8.substr(start));
        out += IsUtf8Continuation(utf8[start]) ? "?" : Character936(utf8.substr(start, length));
        start += length;
    }
    return out;
}

}  // namespace velanto
