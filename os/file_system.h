#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velanto {

// The few file-system calls the exports make, the same on every system velanto runs on.

// Why a call failed, in the system's own words; empty when it did not fail.
using FailureCause = std::string;

// Whether `c` ends a folder's name in a path.
bool IsPathSeparator(char c);

// Creates one folder; a failure (it is there already, not allowed) is for the caller to find out.
void CreateFolder(const std::string& folder);

// Makes `folder` the process's current directory.
FailureCause EnterFolder(const std::string& folder);

enum class EntryKind { None, Folder, Other };

// What `path` names itself, a link never followed: a link to nothing is an entry all the same.
EntryKind EntryAt(const std::string& path);

// Whether new entries can be made in the folder `folder`.
bool FolderTakesNewEntries(const std::string& folder);

// Whether the entry at `path` may give its name to another now: not a file kept from changes
// (read-only, or one the user may not write), nor one a program holds open without letting
// it be deleted. A link is judged itself, never what it points to.
bool EntryMayBeReplaced(const std::string& path);

struct PrivateFolder {
    std::string path;  // empty when none was made
    FailureCause cause;
};

// Makes a new folder of this process's alone, under a name of its own in `parent`.
PrivateFolder MakePrivateFolder(const std::string& parent);

// Gives the entry at `from` the name `to` in one step, in place of whatever entry held it.
FailureCause ReplaceEntry(const std::string& from, const std::string& to);

// A file created afresh for writing, or not at all: never over an entry that holds its name,
// nor through a link. Closed when it goes.
class NewFile {
public:
    explicit NewFile(const std::string& path);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool IsOpen() const { return m_handle != kNoHandle; }
    // The whole of `bytes`, or the cause of the failing write.
    FailureCause Write(std::string_view bytes);
    // Puts the written bytes on the disk.
    FailureCause Flush();
    FailureCause Close();

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t m_handle = kNoHandle;
};

}  // namespace velanto
