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

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) {
        ThrowSystemError("posix_openpt");
    }
    const char* path = nullptr;
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || (path = ::ptsname(m_master)) == nullptr) {
        const int error = errno;
        ::close(m_master);
        throw std::system_error(error, std::generic_category(), "pseudo-terminal");
    }
    m_path = path;
    m_clientSide = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios attributes{};
    if (m_clientSide < 0 || ::tcgetattr(m_clientSide, &attributes) != 0) {
        const int error = errno;
        HangUp();
        throw std::system_error(error, std::generic_category(), m_path);
    }
    // Raw from the start, so that nothing is echoed or translated before a client sets the line up itself.
    ::cfmakeraw(&attributes);
    ::tcsetattr(m_clientSide, TCSANOW, &attributes);
}

PseudoTerminal::~PseudoTerminal() { HangUp(); }

std::size_t PseudoTerminal::PendingForClient() const {
    int pending = 0;
    if (m_clientSide < 0 || ::ioctl(m_clientSide, FIONREAD, &pending) != 0 || pending < 0) {
        return 0;
    }
    return static_cast<std::size_t>(pending);
}

void PseudoTerminal::HangUp() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_clientSide >= 0) {
        ::close(m_clientSide);
        m_clientSide = -1;
    }
}

}  // namespace velanto
