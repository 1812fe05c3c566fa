#include "xlsdriver/file_replace.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

// The driver is loaded into other programs and links nothing of velanto's; this is its own copy
// of os/whole_file.cpp, with the descriptor owner and write loop of os/unique_descriptor.h, and
// with a placement that never replaces.
namespace velanto {
namespace {

[[noreturn]] void ThrowErrno(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

// A descriptor that is closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }

    int Get() const { return m_fd; }
    int Close() {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// A file under a fresh hidden name next to the target, removed again unless Keep() is called.
// The name is short whatever the target's, so that it fits wherever the target's name does.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_path = target.parent_path() / (".velanto-" + std::to_string(random()) + ".tmp");
            const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0 || errno != EEXIST) {
                if (fd < 0) {
                    ThrowErrno(errno, "cannot create a file in " + target.parent_path().string());
                }
                m_fd = std::make_unique<FileDescriptor>(fd);
                return;
            }
        }
        ThrowErrno(EEXIST, "cannot find a free temporary name next to " + target.string());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        m_fd.reset();
        if (!m_kept) {
            ::unlink(m_path.c_str());
        }
    }

    const std::filesystem::path& Path() const { return m_path; }
    FileDescriptor& Descriptor() { return *m_fd; }
    void Keep() { m_kept = true; }

private:
    std::filesystem::path m_path;
    std::unique_ptr<FileDescriptor> m_fd;
    bool m_kept = false;
};

void WriteAll(int fd, const ByteBuffer& bytes, const std::filesystem::path& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            ThrowErrno(errno, "cannot write " + path.string());
        }
        done += static_cast<std::size_t>(written);
    }
}

// Moves the finished file to the target; false when the temporary name still exists too.
bool Place(const std::filesystem::path& from, const std::filesystem::path& to, Placement placement) {
    if (placement == Placement::kReplace) {
        if (::rename(from.c_str(), to.c_str()) != 0) {
            ThrowErrno(errno, "cannot replace " + to.string());
        }
        return true;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        ThrowErrno(errno, "cannot create " + to.string());
    }
    // File systems without an exclusive rename: a hard link never replaces a file either.
    if (::link(from.c_str(), to.c_str()) != 0) {
        ThrowErrno(errno, "cannot create " + to.string());
    }
    return false;
}

}  // namespace

void WriteFileWhole(const std::filesystem::path& target, const ByteBuffer& bytes, Placement placement) {
    TemporaryFile temporary(target);
    WriteAll(temporary.Descriptor().Get(), bytes, temporary.Path());
    if (::fsync(temporary.Descriptor().Get()) != 0 || temporary.Descriptor().Close() != 0) {
        ThrowErrno(errno, "cannot write " + temporary.Path().string());
    }
    if (Place(temporary.Path(), target, placement)) {
        temporary.Keep();  // it is the target now
    }
}

}  // namespace velanto
