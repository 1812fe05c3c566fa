#pragma once

#include <ctime>

namespace velanto {

// The current time on this computer's clock and in its time zone.
inline std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

}  // namespace velanto
