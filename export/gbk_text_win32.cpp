#include "export/gbk_text.h"

#include <windows.h>

namespace velanto {
namespace {

constexpr UINT kGbkCodePage = 936;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// How many bytes the UTF-8 character that `lead` begins takes, by its lead byte.
std::size_t SequenceLength(unsigned char lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1; }

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
// single '?', as the other systems' conversion gives.
std::string ToCodePage936(std::string_view utf8) {
    std::string out;
    for (std::size_t start = 0; start < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[start]);
        if (lead < 0x80) {
            out += utf8[start++];
            continue;
        }
        std::size_t end = start + 1;
        while (end < utf8.size() && end - start < SequenceLength(lead) &&
               IsContinuation(static_cast<unsigned char>(utf8[end]))) {
            ++end;
        }
        if (!IsContinuation(lead)) {
            out += Character936(utf8.substr(start, end - start));
        } else {
            // Stray continuation bytes go together, as one broken character.
            while (end < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[end]))) {
                ++end;
            }
            out += '?';
        }
        start = end;
    }
    return out;
}

}  // namespace velanto
