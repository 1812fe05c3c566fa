#include "serial/serial_platform.h"

#include <fcntl.h>
#include <linux/major.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

namespace velanto {
namespace {

// The kernel's placeholder ports are /dev/ttyS* ports that open like any other but report an unknown UART
// type. Only these: many USB adapters' drivers leave the type unknown too.
bool IsPlaceholderPort(int device) {
    struct stat status {};
    serial_struct info{};
    return ::fstat(device, &status) == 0 && S_ISCHR(status.st_mode) && major(status.st_rdev) == TTY_MAJOR &&
           ::ioctl(device, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN;
}

}  // namespace

bool HasUart(const std::filesystem::path& port) {
    const int device = ::open(port.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device < 0) {
        return errno == EACCES || errno == EPERM || errno == EBUSY;
    }
    const bool placeholder = IsPlaceholderPort(device);
    ::close(device);
    return !placeholder;
}

int SerialPlatform::OpenDevice(const std::string& deviceName) {
    const std::filesystem::path path = DevicePathFor(deviceName);
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    const int device = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device < 0) {
        return -1;
    }
    if (IsPlaceholderPort(device)) {
        ::close(device);
        errno = ENODEV;
        return -1;
    }
    // The advisory lock keeps out every other opener that asks, root included; TIOCEXCL also keeps out
    // openers that do not ask. The lock is taken first so that a refused open never clears another's TIOCEXCL.
    if (::flock(device, LOCK_EX | LOCK_NB) != 0) {
        ::close(device);
        errno = EBUSY;
        return -1;
    }
    ::ioctl(device, TIOCEXCL);
    return device;
}

void SerialPlatform::CloseDevice(int device) {
    // Exclusive use outlives the descriptor while another holds the terminal open (a pseudo-terminal's
    // other end), and would refuse our own next open.
    ::ioctl(device, TIOCNXCL);
    ::close(device);
}

bool SerialPlatform::SetTimeouts(int device, const CommTimeouts&) { return ::fcntl(device, F_GETFL) != -1; }

bool SerialPlatform::SetEventMask(int device, std::uint32_t) { return ::fcntl(device, F_GETFL) != -1; }

bool SerialPlatform::GetLineState(int device, DeviceControlBlock& control) {
    return ::tcgetattr(device, &control.attributes) == 0;
}

bool SerialPlatform::SetLineState(int device, const DeviceControlBlock& control) {
    const termios attributes = RawLineAttributes(control);
    if (::tcsetattr(device, TCSANOW, &attributes) != 0) {
        return false;
    }
    if (control.rtsControl == RTS_CONTROL_ENABLE) {
        int rts = TIOCM_RTS;
        if (::ioctl(device, TIOCMBIS, &rts) != 0 && errno != ENOTTY && errno != EINVAL) {
            return false;
        }
    }
    return true;
}

bool SerialPlatform::Purge(int device) { return ::tcflush(device, TCIOFLUSH) == 0; }

bool SerialPlatform::InputQueueCount(int device, std::uint32_t& count) {
    int waiting = 0;
    if (::ioctl(device, FIONREAD, &waiting) != 0) {
        return false;
    }
    count = waiting > 0 ? static_cast<std::uint32_t>(waiting) : 0;
    return true;
}

ssize_t SerialPlatform::Read(int device, std::uint8_t* bytes, std::size_t length) {
    return ::read(device, bytes, length);
}

ssize_t SerialPlatform::Write(int device, const std::uint8_t* bytes, std::size_t length) {
    return ::write(device, bytes, length);
}

int SerialPlatform::Poll(pollfd* fds, nfds_t count) { return ::poll(fds, count, -1); }

SerialPlatform& DefaultSerialPlatform() {
    static SerialPlatform platform;
    return platform;
}

}  // namespace velanto
