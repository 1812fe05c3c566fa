#pragma once

#include <ctime>

namespace velanto {

// The current time on this computer's clock and in its time zone.
std::tm LocalTimeNow();

}  // namespace velanto
