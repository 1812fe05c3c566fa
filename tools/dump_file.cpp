#include "tools/dump_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "os/whole_file.h"

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
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    if (const FailureCause cause = WriteFileWhole(path.string(), bytes); !cause.empty()) {
        throw std::runtime_error(cause);
    }
}

}  // namespace velanto
