#include "serial/com_number.h"

namespace velanto {

unsigned long ComNumber(const std::string& deviceName) {
    if (deviceName.size() < 4 || deviceName.compare(0, 3, "COM") != 0 || deviceName[3] == '0') {
        return 0;
    }
    unsigned long number = 0;
    for (std::size_t i = 3; i < deviceName.size(); ++i) {
        if (deviceName[i] < '0' || deviceName[i] > '9' || number > 99999) {
            return 0;
        }
        number = number * 10 + static_cast<unsigned long>(deviceName[i] - '0');
    }
    return number;
}

}  // namespace velanto
