#include "tools/dump_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace velanto {
namespace {

std::runtime_error FileError(const std::filesystem::path& path, const std::string& problem) {
    return std::runtime_error(path.string() + ": " + problem);
}

}  // namespace

DetectorDump LoadDumpFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw FileError(path, std::strerror(errno));
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
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        out.flush();
        if (!out) {
            const std::string cause = std::strerror(errno);
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw FileError(temporary, cause);
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw FileError(path, error.message());
    }
}

}  // namespace velanto
