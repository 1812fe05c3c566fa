#include "tools/dump_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>

namespace velanto {
namespace {

std::runtime_error FileError(const std::filesystem::path& path, const std::string& problem) {
    return std::runtime_error(path.string() + ": " + problem);
}

std::runtime_error SystemError(const std::filesystem::path& path) { return FileError(path, std::strerror(errno)); }

// A descriptor that is closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    int Close() {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// Reads up to `size` bytes, fewer only at the end of the file.
std::size_t ReadFully(int fd, std::uint8_t* bytes, std::size_t size, const std::filesystem::path& path) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw SystemError(path);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void WriteFully(int fd, const std::uint8_t* bytes, std::size_t size, const std::filesystem::path& path) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = ::write(fd, bytes + done, size - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            throw SystemError(path);
        }
        done += static_cast<std::size_t>(written);
    }
}

// Only a regular file or a new name is written: never a device, and never a link, which the
// new file would replace.
void RefuseAnythingButAFile(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            throw SystemError(path);
        }
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        throw FileError(path, "is a folder");
    }
    if (S_ISLNK(status.st_mode)) {
        throw FileError(path, "is a symbolic link; the image goes only to a regular file or a new name");
    }
    if (!S_ISREG(status.st_mode)) {
        throw FileError(path, "is a device or other special file; the image goes only to a regular file or a new name");
    }
}

// Creates a new file under a short hidden name in the folder of `path`; returns its descriptor.
int CreateTemporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
    std::random_device random;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / (".velanto-dump-" + std::to_string(random()) + ".part");
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throw SystemError(folder);
}

// The new file, removed unless kept.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& path) : m_fd(CreateTemporary(path, m_path)) {}
    ~TemporaryFile() {
        if (!m_kept) {
            ::unlink(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    Descriptor& File() { return m_fd; }
    void Keep() { m_kept = true; }

private:
    std::filesystem::path m_path;
    Descriptor m_fd;
    bool m_kept = false;
};

}  // namespace

DetectorDump LoadDumpFile(const std::filesystem::path& path) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        throw SystemError(path);
    }
    DetectorDump image{};
    const std::size_t bytesRead = ReadFully(file.Get(), image.data(), image.size(), path);
    std::uint8_t next = 0;
    const bool longer = bytesRead == image.size() && ReadFully(file.Get(), &next, 1, path) == 1;
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
    WriteFully(temporary.File().Get(), image.data(), image.size(), temporary.Path());
    if (temporary.File().Close() != 0) {
        throw SystemError(temporary.Path());
    }
    if (std::rename(temporary.Path().c_str(), path.c_str()) != 0) {
        throw SystemError(path);
    }
    temporary.Keep();
}

}  // namespace velanto
