#include "os/file_system.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace velanto {
namespace {

constexpr const wchar_t* kPrivateFolderPrefix = L"vel";
constexpr UINT kUniqueNumbers = 0xFFFF;  // the unique part of such a name is four hex digits, never 0

// velanto's strings are UTF-8; Windows takes names of any character only in UTF-16.
std::wstring Wide(const std::string& utf8) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

FailureCause CauseOf(DWORD error) {
    wchar_t text[512];
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                    std::size(text), nullptr);
    while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L' ')) {
        --length;
    }
    return length > 0 ? Utf8(std::wstring_view(text, length)) : "error " + std::to_string(error);
}

FailureCause LastCause() { return CauseOf(::GetLastError()); }

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

void CreateFolder(const std::string& folder) { ::CreateDirectoryW(Wide(folder).c_str(), nullptr); }

FailureCause EnterFolder(const std::string& folder) {
    return ::SetCurrentDirectoryW(Wide(folder).c_str()) ? "" : LastCause();
}

EntryKind EntryAt(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return EntryKind::None;
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? EntryKind::Folder : EntryKind::Other;
}

// Windows tells who may make entries only through the folder's access list; whatever it
// refuses shows when the private folder is made, before anything on disk has changed.
bool FolderTakesNewEntries(const std::string& folder) { return EntryAt(folder) == EntryKind::Folder; }

// A program that holds the file open without sharing its deletion (as Excel holds a workbook)
// makes an open for deletion fail with a sharing violation.
bool EntryMayBeReplaced(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    const HANDLE entry =
        ::CreateFileW(Wide(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (entry == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(entry);
    return true;
}

// Names as GetTempFileName makes them, tried from a number of this process and moment on
// until one is free.
PrivateFolder MakePrivateFolder(const std::string& parent) {
    const UINT start = (::GetCurrentProcessId() ^ ::GetTickCount()) % kUniqueNumbers;
    const std::wstring wideParent = Wide(parent);
    for (UINT tried = 0; tried < kUniqueNumbers; ++tried) {
        wchar_t path[MAX_PATH];
        if (::GetTempFileNameW(wideParent.c_str(), kPrivateFolderPrefix, (start + tried) % kUniqueNumbers + 1, path) ==
            0) {
            return {{}, LastCause()};
        }
        if (::CreateDirectoryW(path, nullptr)) {
            return {Utf8(path), {}};
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            return {{}, LastCause()};
        }
    }
    return {{}, CauseOf(ERROR_ALREADY_EXISTS)};
}

FailureCause ReplaceEntry(const std::string& from, const std::string& to) {
    return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ""
               : LastCause();
}

// The name's own entry, a link included, is what CREATE_NEW finds taken.
NewFile::NewFile(const std::string& path)
    : m_handle(reinterpret_cast<std::intptr_t>(::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                                             nullptr))) {}

NewFile::~NewFile() { Close(); }

FailureCause NewFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(Handle(m_handle), bytes.data(), chunk, &written, nullptr)) {
            return LastCause();
        }
        if (written == 0) {
            return CauseOf(ERROR_DISK_FULL);
        }
        bytes.remove_prefix(written);
    }
    return {};
}

FailureCause NewFile::Flush() { return ::FlushFileBuffers(Handle(m_handle)) ? "" : LastCause(); }

FailureCause NewFile::Close() {
    if (!IsOpen()) {
        return {};
    }
    return ::CloseHandle(Handle(std::exchange(m_handle, kNoHandle))) ? "" : LastCause();
}

}  // namespace velanto
