#include "os/file_system.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace velanto {
namespace {

constexpr const char* kPrivateFolderPrefix = "vel";
constexpr UINT kUniqueNumbers = 0xFFFF;  // the unique part of such a name is four hex digits, never 0

FailureCause CauseOf(DWORD error) {
    char text[512];
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                    sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) {
        --length;
    }
    return length > 0 ? std::string(text, length) : "error " + std::to_string(error);
}

FailureCause LastCause() { return CauseOf(::GetLastError()); }

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

void CreateFolder(const std::string& folder) { ::CreateDirectoryA(folder.c_str(), nullptr); }

FailureCause EnterFolder(const std::string& folder) {
    return ::SetCurrentDirectoryA(folder.c_str()) ? "" : LastCause();
}

EntryKind EntryAt(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
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
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    const HANDLE entry =
        ::CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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
    for (UINT tried = 0; tried < kUniqueNumbers; ++tried) {
        char path[MAX_PATH];
        if (::GetTempFileNameA(parent.c_str(), kPrivateFolderPrefix, (start + tried) % kUniqueNumbers + 1, path) == 0) {
            return {{}, LastCause()};
        }
        if (::CreateDirectoryA(path, nullptr)) {
            return {path, {}};
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            return {{}, LastCause()};
        }
    }
    return {{}, CauseOf(ERROR_ALREADY_EXISTS)};
}

FailureCause ReplaceEntry(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? ""
                                                                                                       : LastCause();
}

// The name's own entry, a link included, is what CREATE_NEW finds taken.
NewFile::NewFile(const std::string& path)
    : m_handle(reinterpret_cast<std::intptr_t>(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
