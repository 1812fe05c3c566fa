#include "serial/manual_reset_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace velanto {

ManualResetEvent::ManualResetEvent() : m_descriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!m_descriptor.IsOpen()) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

void ManualResetEvent::Set() {
    // The counter only grows until Reset; while it is above zero the descriptor reads as ready.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_descriptor.Get(), &one, sizeof one);
}

void ManualResetEvent::Reset() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t taken = ::read(m_descriptor.Get(), &count, sizeof count);
}

}  // namespace velanto
