#pragma once

#include <filesystem>
#include <string>

#include "serial/serial_platform.h"

namespace velanto {

// The folder in which links named com1, com2, ... map port numbers to devices:
// ${XDG_CONFIG_HOME:-$HOME/.config}/velanto/dosdevices.
std::filesystem::path DeviceMapFolder();

// True when a UART is behind the serial port at `port`: the kernel knows its type. The kernel keeps
// placeholder ports /dev/ttyS0, ... whose type is unknown. A port that exists but may not be opened to ask
// (another user's, or held by another program) counts as having one.
bool HasUart(const std::filesystem::path& port);

// The device folder that COM numbers resolve in, and how a serial port in it is told from a placeholder.
// Tests put a folder of their own in place of /dev.
struct DeviceTree {
    std::filesystem::path root = "/dev";
    bool (*hasUart)(const std::filesystem::path& port) = HasUart;
};

// The device that "COM<n>" names, in this order: the target of the link com<n> in the device-map folder;
// /dev/ttyS<n-1> when a UART is behind it; else the USB serial adapters of /dev/serial/by-id that no link
// names, sorted by name, go one each, lowest number first, to the COM numbers that have neither a link nor
// a UART; else /dev/ttyS<n-1>. An empty path for a name that is not COM followed by a number from 1.
std::filesystem::path DevicePathFor(const std::string& deviceName, const DeviceTree& devices);

}  // namespace velanto
