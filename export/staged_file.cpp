#include "export/staged_file.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>

#include "export/export_error.h"

namespace velanto {
namespace {

constexpr const char* kStagingFolderPattern = ".velanto-XXXXXX";
constexpr const char* kStagedName = "export.xls";

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// Why no file can be made in `folder`: a folder that is there but refuses new names (such
// as /proc) gives ENOENT, which is not to say that it is missing.
std::string CauseInFolder(int error, const std::string& folder) {
    std::error_code ignored;
    return error == ENOENT && std::filesystem::is_directory(folder, ignored) ? "it takes no new files"
                                                                             : std::strerror(error);
}

}  // namespace

StagedFile::StagedFile(std::string target) : m_target(std::move(target)) {
    const std::string folder = FolderOf(m_target);
    std::string pattern = folder + "/" + kStagingFolderPattern;
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw FileError("Cannot save into the folder " + folder + ": " + CauseInFolder(errno, folder));
    }
    m_folder = std::move(pattern);
    m_path = m_folder + "/" + kStagedName;
}

StagedFile::~StagedFile() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);  // the folder is this object's alone
}

void StagedFile::ReplaceTarget() {
    if (std::rename(m_path.c_str(), m_target.c_str()) != 0) {
        throw FileError("Cannot replace " + m_target + ": " + std::strerror(errno));
    }
}

}  // namespace velanto
