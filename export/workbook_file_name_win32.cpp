#include "export/workbook_file_name.h"

#include <windows.h>

#include <optional>

namespace velanto {
namespace {

// `name` in the ANSI code page, in which fopen reads names, or nothing when a character is not in it.
std::optional<std::string> InAnsiCodePage(const std::wstring& name) {
    const int size = static_cast<int>(name.size());
    BOOL lacking = FALSE;
    const int length =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), size, nullptr, 0, nullptr, &lacking);
    if (length <= 0 || lacking) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

std::wstring ShortName(const std::wstring& name) {
    const DWORD size = ::GetShortPathNameW(name.c_str(), nullptr, 0);
    std::wstring shortName(size, L'\0');
    const DWORD length = size > 0 ? ::GetShortPathNameW(name.c_str(), shortName.data(), size) : 0;
    shortName.resize(length < size ? length : 0);
    return shortName;
}

}  // namespace

// A name with a character outside the ANSI code page is given in its short (8.3) form, which
// the system makes of such characters.
std::string WorkbookFileName(const std::filesystem::path& file) {
    if (std::optional<std::string> ansi = InAnsiCodePage(file.native())) {
        return *ansi;
    }
    return InAnsiCodePage(ShortName(file.native())).value_or(file.string());
}

}  // namespace velanto
