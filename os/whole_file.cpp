#include "os/whole_file.h"

#include <filesystem>
#include <optional>
#include <random>

#include "os/path_folders.h"
#include "os/utf8_path.h"

namespace velanto {
namespace {

constexpr int kNameAttempts = 100;

// A new file under a fresh hidden name in `folder`, removed unless kept. The name is short
// whatever the target's, so that it fits wherever the target's name does.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& folder) {
        std::random_device random;
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            m_path = Utf8Of(PathFromUtf8(folder) / (".velanto-" + std::to_string(random()) + ".part"));
            m_file.emplace(m_path);
            // Only a name that another entry holds is worth another try.
            if (m_file->IsOpen() || EntryAt(m_path) == EntryKind::None) {
                break;
            }
        }
        m_created = m_file->IsOpen();
    }
    ~TemporaryFile() {
        // Only a file of this object's own: a name it failed to take is another entry's.
        if (m_created && !m_kept) {
            m_file.reset();
            std::error_code ignored;
            std::filesystem::remove(PathFromUtf8(m_path), ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Created() const { return m_created; }
    const std::string& Path() const { return m_path; }

    // Writes the bytes, puts them on the disk and closes the file.
    FailureCause WriteAndClose(std::string_view bytes) {
        FailureCause cause = m_file->Write(bytes);
        if (cause.empty()) {
            cause = m_file->Flush();
        }
        if (cause.empty()) {
            cause = m_file->Close();
        }
        return cause;
    }
    void Keep() { m_kept = true; }

private:
    std::string m_path;
    std::optional<NewFile> m_file;
    bool m_created = false;
    bool m_kept = false;
};

}  // namespace

FailureCause WriteFileWhole(const std::string& target, std::string_view bytes) {
    const std::string folder = FolderOf(target);
    TemporaryFile temporary(folder);
    if (!temporary.Created()) {
        return folder + ": no new file can be made in this folder";
    }
    if (const FailureCause cause = temporary.WriteAndClose(bytes); !cause.empty()) {
        return temporary.Path() + ": " + cause;
    }
    if (const FailureCause cause = ReplaceEntry(temporary.Path(), target); !cause.empty()) {
        return target + ": " + cause;
    }
    temporary.Keep();  // it is the target now
    return {};
}

}  // namespace velanto
