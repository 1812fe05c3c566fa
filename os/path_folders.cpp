#include "os/path_folders.h"

#include <filesystem>

#include "os/file_system.h"

namespace velanto {

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
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
