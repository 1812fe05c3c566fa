#include "export/gbk_text.h"

#include <windows.h>

#include <string>

namespace velanto {
namespace {

constexpr UINT kGbkCodePage = 936;

// A broken UTF-8 sequence becomes U+FFFD, which code page 936 lacks: '?' in the end.
std::wstring Utf16(std::string_view utf8) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

}  // namespace

std::string ToCodePage936(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const std::wstring wide = Utf16(utf8);
    const int size = static_cast<int>(wide.size());
    std::string out(::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, nullptr, 0, "?", nullptr), '\0');
    ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, out.data(), static_cast<int>(out.size()), "?", nullptr);
    return out;
}

}  // namespace velanto
