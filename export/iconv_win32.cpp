#include "export/iconv_win32.h"

#include <windows.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr UINT kUtf16Le = 1200;  // Windows' number for UTF-16LE, which it does not convert from
constexpr UINT kAscii = 20127;
constexpr UINT kMacRoman = 10000;

// The Windows code page of an encoding FreeXL names: "CP" and the number, or one of a few names.
std::optional<UINT> CodePageNamed(std::string_view name) {
    if (name == "UTF-16LE") {
        return kUtf16Le;
    }
    if (name == "ASCII") {
        return kAscii;
    }
    if (name == "MacRoman") {
        return kMacRoman;
    }
    if (!name.starts_with("CP")) {
        return std::nullopt;
    }
    UINT number = 0;
    const auto [end, error] = std::from_chars(name.data() + 2, name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size()) {
        return std::nullopt;
    }
    return number;
}

// The input as UTF-16, or nothing for a byte sequence that the code page lacks.
std::optional<std::wstring> Widened(UINT codePage, const char* bytes, size_t size) {
    if (codePage == kUtf16Le) {
        if (size % 2 != 0) {
            return std::nullopt;
        }
        std::wstring wide(size / 2, L'\0');
        std::memcpy(wide.data(), bytes, size);
        return wide;
    }
    const int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), wide.data(), length);
    return wide;
}

// UTF-8 of UTF-16, or nothing for a broken surrogate pair.
std::optional<std::string> Utf8Of(const std::wstring& wide) {
    const int wideSize = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::nullopt;
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), wideSize, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

// What an open converter holds: the code page it converts from.
struct Converter {
    UINT codePage;
};

}  // namespace

extern "C" iconv_t iconv_open(const char* to, const char* from) {
    const std::optional<UINT> codePage = CodePageNamed(from);
    if (std::string_view(to) != "UTF-8" || !codePage || (*codePage != kUtf16Le && !::IsValidCodePage(*codePage))) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return new Converter{*codePage};
}

extern "C" size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    constexpr auto kFailed = static_cast<size_t>(-1);
    if (in == nullptr || *in == nullptr || *inLeft == 0) {
        return 0;
    }
    const std::optional<std::wstring> wide = Widened(static_cast<Converter*>(converter)->codePage, *in, *inLeft);
    const std::optional<std::string> utf8 = wide ? Utf8Of(*wide) : std::nullopt;
    if (!utf8) {
        errno = EILSEQ;
        return kFailed;
    }
    if (utf8->size() > *outLeft) {
        errno = E2BIG;
        return kFailed;
    }
    std::memcpy(*out, utf8->data(), utf8->size());
    *in += *inLeft;
    *inLeft = 0;
    *out += utf8->size();
    *outLeft -= utf8->size();
    return 0;
}

extern "C" int iconv_close(iconv_t converter) {
    delete static_cast<Converter*>(converter);
    return 0;
}
