#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "serial/com_number.h"
#include "serial/device_map_posix.h"

namespace velanto {
namespace {

using std::filesystem::path;

// The device the link com<number> of the device map points to; empty when there is no such link.
path LinkedDevice(unsigned long number) {
    const path link = DeviceMapFolder() / ("com" + std::to_string(number));
    std::error_code error;
    const path target = std::filesystem::read_symlink(link, error);
    return error ? path() : link.parent_path() / target;
}

path SerialPort(const DeviceTree& devices, unsigned long number) {
    return devices.root / ("ttyS" + std::to_string(number - 1));
}

// A COM number that neither a link nor a UART claims goes to an adapter.
bool IsFree(const DeviceTree& devices, unsigned long number) {
    return LinkedDevice(number).empty() && !devices.hasUart(SerialPort(devices, number));
}

std::vector<path> FolderEntries(const path& folder) {
    std::vector<path> entries;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        entries.push_back(entry->path());
    }
    return entries;
}

// The adapters by their names, which stay the same across replugs and reboots, sorted; an adapter that a
// link of the device map names already has its COM number.
std::vector<path> UnmappedAdapters(const DeviceTree& devices) {
    std::vector<path> adapters = FolderEntries(devices.root / "serial" / "by-id");
    const std::vector<path> links = FolderEntries(DeviceMapFolder());
    std::erase_if(adapters, [&](const path& adapter) {
        return std::ranges::any_of(links, [&](const path& link) {
            std::error_code error;
            return std::filesystem::equivalent(adapter, link, error);
        });
    });
    std::ranges::sort(adapters);
    return adapters;
}

}  // namespace

path DeviceMapFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    path base;
    if (configHome != nullptr && *configHome != '\0') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = path(home != nullptr ? home : "") / ".config";
    }
    return base / "velanto" / "dosdevices";
}

path DevicePathFor(const std::string& deviceName, const DeviceTree& devices) {
    const unsigned long number = ComNumber(deviceName);
    if (number == 0) {
        return {};
    }
    if (path linked = LinkedDevice(number); !linked.empty()) {
        return linked;
    }
    const path port = SerialPort(devices, number);
    if (devices.hasUart(port)) {
        return port;
    }
    // COM<number> gets the adapter whose place among the adapters is its place among the free numbers.
    const std::vector<path> adapters = UnmappedAdapters(devices);
    std::size_t freeBelow = 0;
    for (unsigned long lower = 1; lower < number && freeBelow < adapters.size(); ++lower) {
        freeBelow += IsFree(devices, lower) ? 1 : 0;
    }
    return freeBelow < adapters.size() ? adapters[freeBelow] : port;
}

path DevicePathFor(const std::string& deviceName) { return DevicePathFor(deviceName, DeviceTree{}); }

}  // namespace velanto
