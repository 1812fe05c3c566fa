#include "os/path_folders.h"

#include <filesystem>

#include "os/file_system.h"
#include "os/utf8_path.h"

namespace velanto {

std::string FolderOf(const std::string& path) {
    const std::string folder = Utf8Of(PathFromUtf8(path).parent_path());
    return folder.empty() ? "." : folder;
}

void CreateFolderChain(const std::string& folder) {
    // A separator at the start begins a root, never ends a folder's name.
    for (std::size_t i = 1; i < folder.size(); ++i) {
        if (IsPathSeparator(folder[i])) {
            CreateFolder(folder.substr(0, i));
        }
    }
    if (!folder.empty()) {
        CreateFolder(folder);
    }
}

}  // namespace velanto
