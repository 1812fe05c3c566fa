#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <sstream>
#include <string_view>

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

std::optional<std::uint32_t> WholeNumber(const std::string& text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Applies one "key=value" item; false when the key is unknown or the value does not fit the line.
bool ApplySetting(const std::string& item, DeviceControlBlock& control) {
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    const std::string key = item.substr(0, equals);
    const std::string value = item.substr(equals + 1);
    if (key == "parity") {
        if (value.size() != 1) {
            return false;
        }
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
        if (std::string_view("NEOMS").find(letter) == std::string_view::npos) {
            return false;
        }
        control.parity = letter;
        return true;
    }
    const std::optional<std::uint32_t> number = WholeNumber(value);
    if (!number) {
        return false;
    }
    if (key == "baud" && SpeedCode(*number)) {
        control.baudRate = *number;
    } else if (key == "data" && *number >= 5 && *number <= 8) {
        control.dataBits = *number;
    } else if (key == "stop" && (*number == 1 || *number == 2)) {
        control.stopBits = *number;
    } else {
        return false;
    }
    return true;
}

tcflag_t CharacterSize(std::uint32_t dataBits) {
    switch (dataBits) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        default: return CS8;
    }
}

tcflag_t ParityFlags(char parity) {
    switch (parity) {
        case 'E': return PARENB;
        case 'O': return PARENB | PARODD;
        case 'M': return PARENB | PARODD | CMSPAR;
        case 'S': return PARENB | CMSPAR;
        default: return 0;
    }
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

bool BuildCommDcb(const std::string& settings, DeviceControlBlock& control) {
    DeviceControlBlock changed = control;
    std::istringstream items(settings);
    std::string item;
    bool any = false;
    while (items >> item) {
        if (!ApplySetting(item, changed)) {
            errno = EINVAL;
            return false;
        }
        any = true;
    }
    if (!any) {
        errno = EINVAL;
        return false;
    }
    control = changed;
    return true;
}

termios RawLineAttributes(const DeviceControlBlock& control) {
    termios attributes = LineAttributes(control);
    cfmakeraw(&attributes);
    attributes.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    attributes.c_cflag |= CLOCAL | CREAD | CharacterSize(control.dataBits) | ParityFlags(control.parity);
    if (control.stopBits == 2) {
        attributes.c_cflag |= CSTOPB;
    }
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    const speed_t speed = SpeedCode(control.baudRate).value_or(B9600);
    cfsetispeed(&attributes, speed);
    cfsetospeed(&attributes, speed);
    return attributes;
}

}  // namespace velanto
