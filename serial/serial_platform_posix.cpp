#include <fcntl.h>
#include <linux/major.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "serial/device_map_posix.h"
#include "serial/line_attributes_posix.h"
#include "serial/port_owner.h"

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

int Descriptor(DeviceHandle device) { return static_cast<int>(device); }

short PollEvents(const WaitTarget& target) {
    switch (target.kind) {
        case WaitTarget::Kind::EventSet: return POLLIN;
        // Received bytes wake the wait only when they are to be read; unread bytes would keep the device
        // ready. A lost line (POLLHUP, POLLERR) always ends it.
        case WaitTarget::Kind::PortEvent: return (target.eventMask & EV_RXCHAR) != 0 ? POLLIN : 0;
        case WaitTarget::Kind::RoomToWrite: return POLLOUT;
    }
    return 0;
}

}  // namespace

SystemErrorCode LastSystemError() { return errno; }

std::string SystemErrorText(SystemErrorCode code) { return std::system_category().message(code); }

bool IsTransientError(SystemErrorCode code) { return code == EAGAIN || code == EINTR; }

bool IsPermissionRefusal(SystemErrorCode code) { return code == EACCES || code == EPERM; }

SystemErrorCode DeviceLostError() { return EIO; }

bool HasUart(const std::filesystem::path& port) {
    const int device = ::open(port.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device < 0) {
        return errno == EACCES || errno == EPERM || errno == EBUSY;
    }
    const bool placeholder = IsPlaceholderPort(device);
    ::close(device);
    return !placeholder;
}

DeviceHandle SerialPlatform::OpenDevice(const std::string& deviceName) {
    const std::filesystem::path path = DevicePathFor(deviceName);
    if (path.empty()) {
        errno = ENOENT;
        return kNoDevice;
    }
    const int device = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device < 0) {
        return kNoDevice;
    }
    if (IsPlaceholderPort(device)) {
        ::close(device);
        errno = ENODEV;
        return kNoDevice;
    }
    // The advisory lock keeps out every other opener that asks, root included; TIOCEXCL also keeps out
    // openers that do not ask. The lock is taken first so that a refused open never clears another's TIOCEXCL.
    if (::flock(device, LOCK_EX | LOCK_NB) != 0) {
        ::close(device);
        errno = EBUSY;
        return kNoDevice;
    }
    ::ioctl(device, TIOCEXCL);
    return device;
}

void SerialPlatform::CloseDevice(DeviceHandle device) {
    // Exclusive use outlives the descriptor while another holds the terminal open (a pseudo-terminal's
    // other end), and would refuse our own next open.
    ::ioctl(Descriptor(device), TIOCNXCL);
    ::close(Descriptor(device));
}

// The calls wait in poll() and need no limits; the device is only checked to be open.
bool SerialPlatform::SetTimeouts(DeviceHandle device, const CommTimeouts&) {
    return ::fcntl(Descriptor(device), F_GETFL) != -1;
}

// The device keeps no event mask: the port object's own mask stands for it.
bool SerialPlatform::SetEventMask(DeviceHandle device, std::uint32_t) {
    return ::fcntl(Descriptor(device), F_GETFL) != -1;
}

bool SerialPlatform::GetLineState(DeviceHandle device, DeviceControlBlock& control) {
    termios attributes{};
    if (::tcgetattr(Descriptor(device), &attributes) != 0) {
        return false;
    }
    KeepLineAttributes(control, attributes);
    return true;
}

// The event character has no counterpart in termios: no POSIX line tells the arrival of one
// particular byte, so EV_RXFLAG is never raised here. Nothing is lost by it: the byte arrives
// and is handed over like any other.
bool SerialPlatform::SetLineState(DeviceHandle device, const DeviceControlBlock& control) {
    const termios attributes = RawLineAttributes(control);
    if (::tcsetattr(Descriptor(device), TCSANOW, &attributes) != 0) {
        return false;
    }
    if (control.rtsControl == RTS_CONTROL_ENABLE) {
        int rts = TIOCM_RTS;
        if (::ioctl(Descriptor(device), TIOCMBIS, &rts) != 0 && errno != ENOTTY && errno != EINVAL) {
            return false;
        }
    }
    return true;
}

bool SerialPlatform::Purge(DeviceHandle device) { return ::tcflush(Descriptor(device), TCIOFLUSH) == 0; }

bool SerialPlatform::InputQueueCount(DeviceHandle device, std::uint32_t& count) {
    int waiting = 0;
    if (::ioctl(Descriptor(device), FIONREAD, &waiting) != 0) {
        return false;
    }
    count = waiting > 0 ? static_cast<std::uint32_t>(waiting) : 0;
    return true;
}

IoResult SerialPlatform::Read(DeviceHandle device, std::uint8_t* bytes, std::size_t length) {
    const ssize_t count = ::read(Descriptor(device), bytes, length);
    return {count, count < 0 ? "ReadFile()" : nullptr};
}

IoResult SerialPlatform::Write(DeviceHandle device, const std::uint8_t* bytes, std::size_t length) {
    const ssize_t count = ::write(Descriptor(device), bytes, length);
    return {count, count < 0 ? "WriteFile()" : nullptr};
}

// poll() watches the device itself and does not take the bytes it reports: there is nothing to start, and
// no byte can be lost between the wait and the reads.
bool SerialPlatform::WatchPortEvents(DeviceHandle) { return true; }

std::optional<WaitOutcome> SerialPlatform::WaitForAny(std::span<const WaitTarget> targets) {
    std::vector<pollfd> waits;
    for (const WaitTarget& target : targets) {
        waits.push_back({static_cast<int>(target.handle), PollEvents(target), 0});
    }
    for (;;) {
        if (::poll(waits.data(), waits.size(), -1) >= 0) {
            break;
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
    for (std::size_t i = 0; i < waits.size(); ++i) {
        if (waits[i].revents != 0) {
            const bool lost = targets[i].kind == WaitTarget::Kind::PortEvent &&
                              (waits[i].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
            return WaitOutcome{i, lost};
        }
    }
    return std::nullopt;  // poll() reports some target ready whenever it returns without a time limit
}

SerialPlatform& DefaultSerialPlatform() {
    static SerialPlatform platform;
    return platform;
}

}  // namespace velanto
