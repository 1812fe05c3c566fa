#include "tools/dump_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "export/file_system.h"

namespace velanto {
namespace {

std::runtime_error FileError(const std::filesystem::path& path, const std::string& problem) {
    return std::runtime_error(path.string() + ": " + problem);
}

std::runtime_error SystemError(const std::filesystem::path& path) { return FileError(path, std::strerror(errno)); }

// Only a regular file or a new name is written: never a device, and never a link, which the
// new file would replace.
void RefuseAnythingButAFile(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return;
    }
    if (error) {
        throw FileError(path, error.message());
    }
    if (std::filesystem::is_directory(status)) {
        throw FileError(path, "is a folder");
    }
    if (std::filesystem::is_symlink(status)) {
        throw FileError(path, "is a symbolic link; the image goes only to a regular file or a new name");
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw FileError(path, "is a device or other special file; the image goes only to a regular file or a new name");
    }
}

// A new file under a short hidden name in the folder of `path`, removed unless kept.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& path) {
        std::random_device random;
        const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_path = folder / (".velanto-dump-" + std::to_string(random()) + ".part");
            m_file = std::make_unique<NewFile>(m_path.string());
            // Only a name that another entry holds is worth another try.
            if (m_file->IsOpen() || EntryAt(m_path.string()) == EntryKind::None) {
                break;
            }
        }
        if (!m_file->IsOpen()) {
            throw FileError(folder, "no new file can be made in this folder");
        }
    }
    ~TemporaryFile() {
        if (!m_kept) {
            m_file.reset();
            std::error_code ignored;
            std::filesystem::remove(m_path, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Writes the bytes and closes the file.
    void WriteAndClose(const std::uint8_t* bytes, std::size_t size) {
        FailureCause cause = m_file->Write({reinterpret_cast<const char*>(bytes), size});
        if (cause.empty()) {
            cause = m_file->Close();
        }
        if (!cause.empty()) {
            throw FileError(m_path, cause);
        }
    }
    const std::filesystem::path& Path() const { return m_path; }
    void Keep() { m_kept = true; }

private:
    std::filesystem::path m_path;
    std::unique_ptr<NewFile> m_file;
    bool m_kept = false;
};

}  // namespace

DetectorDump LoadDumpFile(const std::filesystem::path& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw FileError(path, "is a folder");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw SystemError(path);
    }
    DetectorDump image{};
    in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
    const auto bytesRead = static_cast<std::size_t>(in.gcount());
    const bool longer = bytesRead == image.size() && in.peek() != std::ifstream::traits_type::eof();
    if (bytesRead != image.size() || longer) {
        const std::string size = longer ? "more than " + std::to_string(kDumpSize) : std::to_string(bytesRead);
        throw DumpSizeError(path.string() + ": is " + size + " bytes long; a detector dump is exactly " +
                            std::to_string(kDumpSize) + " bytes");
    }
    return image;
}

void SaveDumpFile(const std::filesystem::path& path, const DetectorDump& image) {
    RefuseAnythingButAFile(path);
    TemporaryFile temporary(path);
    temporary.WriteAndClose(image.data(), image.size());
    std::error_code error;
    std::filesystem::rename(temporary.Path(), path, error);
    if (error) {
        throw FileError(path, error.message());
    }
    temporary.Keep();
}

}  // namespace velanto
