#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <utility>

namespace velanto {

// A file descriptor that is closed when its owner goes.
class UniqueDescriptor {
public:
    explicit UniqueDescriptor(int descriptor = -1) noexcept : m_descriptor(descriptor) {}
    UniqueDescriptor(UniqueDescriptor&& other) noexcept : m_descriptor(other.Release()) {}
    UniqueDescriptor& operator=(UniqueDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            m_descriptor = other.Release();
        }
        return *this;
    }
    ~UniqueDescriptor() { Close(); }

    int Get() const noexcept { return m_descriptor; }
    bool IsOpen() const noexcept { return m_descriptor >= 0; }
    int Release() noexcept { return std::exchange(m_descriptor, -1); }
    // Closes at once; close()'s result, so that a late write error is seen, or 0 when nothing was open.
    int Close() noexcept {
        const int descriptor = Release();
        return descriptor >= 0 ? ::close(descriptor) : 0;
    }

private:
    int m_descriptor;
};

// Writes the whole of `bytes` to a blocking descriptor, going on after an interruption. False, with the
// cause in errno, when a write fails; a write that takes nothing means the device is full (ENOSPC).
inline bool WriteAll(int descriptor, const void* bytes, std::size_t length) {
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        const ssize_t written = ::write(descriptor, next, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        next += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace velanto
