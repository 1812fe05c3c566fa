#include <cerrno>
#include <cstring>
#include <optional>

#include "serial/line_attributes_posix.h"

namespace velanto {
namespace {

struct LineSpeed {
    std::uint32_t baud;
    speed_t code;
};

constexpr LineSpeed kLineSpeeds[] = {
    {110, B110},   {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

std::optional<speed_t> SpeedCode(std::uint32_t baud) {
    for (const LineSpeed& speed : kLineSpeeds) {
        if (speed.baud == baud) {
            return speed.code;
        }
    }
    return std::nullopt;
}

tcflag_t CharacterSize(std::uint32_t dataBits) {
    switch (dataBits) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        default: return CS8;
    }
}

tcflag_t ParityFlags(Parity parity) {
    switch (parity) {
        case Parity::Even: return PARENB;
        case Parity::Odd: return PARENB | PARODD;
        case Parity::Mark: return PARENB | PARODD | CMSPAR;
        case Parity::Space: return PARENB | CMSPAR;
        case Parity::None: break;
    }
    return 0;
}

static_assert(sizeof(termios) <= sizeof(DeviceControlBlock::native));

}  // namespace

termios LineAttributes(const DeviceControlBlock& control) {
    termios attributes{};
    std::memcpy(&attributes, control.native.data(), sizeof attributes);
    return attributes;
}

void KeepLineAttributes(DeviceControlBlock& control, const termios& attributes) {
    std::memcpy(control.native.data(), &attributes, sizeof attributes);
}

bool ApplyLineSettings(const LineSettings& line, DeviceControlBlock& control) {
    if (!SpeedCode(line.baudRate) || line.dataBits < 5 || line.dataBits > 8) {
        errno = EINVAL;
        return false;
    }
    control.line = line;
    return true;
}

termios RawLineAttributes(const DeviceControlBlock& control) {
    termios attributes = LineAttributes(control);
    cfmakeraw(&attributes);
    attributes.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    attributes.c_cflag |= CLOCAL | CREAD | CharacterSize(control.line.dataBits) | ParityFlags(control.line.parity);
    if (control.line.stopBits == StopBits::Two) {
        attributes.c_cflag |= CSTOPB;
    }
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    const speed_t speed = SpeedCode(control.line.baudRate).value_or(B9600);
    cfsetispeed(&attributes, speed);
    cfsetospeed(&attributes, speed);
    return attributes;
}

}  // namespace velanto
