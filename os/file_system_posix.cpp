#include "os/file_system.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "os/unique_descriptor.h"

namespace velanto {
namespace {

constexpr const char* kPrivateFolderPattern = "/.velanto-XXXXXX";

FailureCause CauseOf(int error) { return std::strerror(error); }

FailureCause LastCause() { return CauseOf(errno); }

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

bool IsPathSeparator(char c) { return c == '/'; }

void CreateFolder(const std::string& folder) { ::mkdir(folder.c_str(), 0777); }

FailureCause EnterFolder(const std::string& folder) { return ::chdir(folder.c_str()) == 0 ? "" : LastCause(); }

EntryKind EntryAt(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return EntryKind::None;
    }
    return S_ISDIR(status.st_mode) ? EntryKind::Folder : EntryKind::Other;
}

bool FolderTakesNewEntries(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

// Its folder alone decides whether a name can be taken over here; a file the user may not write
// is kept all the same, as the read-only file it is on other systems.
bool EntryMayBeReplaced(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0;
}

PrivateFolder MakePrivateFolder(const std::string& parent) {
    std::string pattern = parent + kPrivateFolderPattern;
    if (::mkdtemp(pattern.data()) != nullptr) {
        return {std::move(pattern), {}};
    }
    // A folder that is there but refuses new names (such as /proc) gives ENOENT, which is not
    // to say that it is missing.
    const int error = errno;
    std::error_code ignored;
    return {
        {},
        error == ENOENT && std::filesystem::is_directory(parent, ignored) ? "it takes no new files" : CauseOf(error)};
}

FailureCause ReplaceEntry(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? "" : LastCause();
}

NewFile::NewFile(const std::string& path)
    : m_handle(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666)) {}

NewFile::~NewFile() { Close(); }

FailureCause NewFile::Write(std::string_view bytes) {
    return WriteAll(Descriptor(m_handle), bytes.data(), bytes.size()) ? "" : LastCause();
}

FailureCause NewFile::Flush() {
    // A file on a system that keeps nothing to flush (EINVAL) is as flushed as it gets.
    return ::fsync(Descriptor(m_handle)) == 0 || errno == EINVAL ? "" : LastCause();
}

FailureCause NewFile::Close() {
    return UniqueDescriptor(Descriptor(std::exchange(m_handle, kNoHandle))).Close() == 0 ? "" : LastCause();
}

}  // namespace velanto
