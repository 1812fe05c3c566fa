#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "serial/manual_reset_event.h"

namespace velanto {

// An eventfd, readable while set: poll() waits on it like on the device.
ManualResetEvent::ManualResetEvent() : m_handle(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_handle < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

ManualResetEvent::~ManualResetEvent() { ::close(static_cast<int>(m_handle)); }

void ManualResetEvent::Set() {
    // The counter only grows until Reset; while it is above zero the descriptor reads as ready.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(static_cast<int>(m_handle), &one, sizeof one);
}

void ManualResetEvent::Reset() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t taken = ::read(static_cast<int>(m_handle), &count, sizeof count);
}

}  // namespace velanto
