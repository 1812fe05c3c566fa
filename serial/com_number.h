#pragma once

#include <string>

namespace velanto {

// n of "COM<n>"; 0 for a name that is not COM followed by a number from 1.
unsigned long ComNumber(const std::string& deviceName);

}  // namespace velanto
