#pragma once

#include <string>

#include "serial/comm_port.h"

namespace velanto {

// What Start tells the operator when COM<portNumber> could not be opened, in UTF-8: a refused permission
// names the port, its device and the fix; any other failure keeps the one text for an absent or busy port.
std::string PortOpenFailureText(int portNumber, PortOpenFailure failure);

}  // namespace velanto
