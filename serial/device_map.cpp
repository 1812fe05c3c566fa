#include <cstdlib>
#include <system_error>

#include "serial/serial_platform.h"

namespace velanto {

std::filesystem::path DeviceMapFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (configHome != nullptr && *configHome != '\0') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : "") / ".config";
    }
    return base / "velanto" / "dosdevices";
}

std::filesystem::path DevicePathFor(const std::string& deviceName) {
    if (deviceName.size() < 4 || deviceName.compare(0, 3, "COM") != 0 || deviceName[3] == '0') {
        return {};
    }
    unsigned long number = 0;
    for (std::size_t i = 3; i < deviceName.size(); ++i) {
        if (deviceName[i] < '0' || deviceName[i] > '9' || number > 99999) {
            return {};
        }
        number = number * 10 + static_cast<unsigned long>(deviceName[i] - '0');
    }
    const std::filesystem::path link = DeviceMapFolder() / ("com" + std::to_string(number));
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, error))) {
        return link;
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace velanto
