#include "export/staged_file.h"

#include <filesystem>

#include "export/export_error.h"
#include "os/file_system.h"
#include "os/path_folders.h"

namespace velanto {
namespace {

constexpr const char* kStagedName = "export.xls";

}  // namespace

StagedFile::StagedFile(std::string target) : m_target(std::move(target)) {
    const std::string folder = FolderOf(m_target);
    PrivateFolder made = MakePrivateFolder(folder);
    if (made.path.empty()) {
        throw FileError("Cannot save into the folder " + folder + ": " + made.cause);
    }
    m_folder = std::move(made.path);
    m_path = (std::filesystem::path(m_folder) / kStagedName).string();
}

StagedFile::~StagedFile() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);  // the folder is this object's alone
}

void StagedFile::ReplaceTarget() {
    if (const FailureCause cause = ReplaceEntry(m_path, m_target); !cause.empty()) {
        throw FileError("Cannot replace " + m_target + ": " + cause);
    }
}

}  // namespace velanto
