#include "tools/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace velanto {
namespace {

[[noreturn]] void ThrowSystemError(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

PseudoTerminal::PseudoTerminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    const int master = m_master.Get();
    if (master < 0) {
        ThrowSystemError("posix_openpt");
    }
    const char* path = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || (path = ::ptsname(master)) == nullptr) {
        ThrowSystemError("pseudo-terminal");
    }
    m_path = path;
    m_clientSide = UniqueDescriptor(::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios attributes{};
    if (!m_clientSide.IsOpen() || ::tcgetattr(m_clientSide.Get(), &attributes) != 0) {
        throw std::system_error(errno, std::generic_category(), m_path);
    }
    // Raw from the start, so that nothing is echoed or translated before a client sets the line up itself.
    ::cfmakeraw(&attributes);
    ::tcsetattr(m_clientSide.Get(), TCSANOW, &attributes);
}

PseudoTerminal::~PseudoTerminal() = default;

std::size_t PseudoTerminal::PendingForClient() const {
    int pending = 0;
    if (!m_clientSide.IsOpen() || ::ioctl(m_clientSide.Get(), FIONREAD, &pending) != 0 || pending < 0) {
        return 0;
    }
    return static_cast<std::size_t>(pending);
}

void PseudoTerminal::HangUp() {
    m_master.Close();
    m_clientSide.Close();
}

}  // namespace velanto
