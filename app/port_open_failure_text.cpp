#include "app/port_open_failure_text.h"

#include "app/app_strings.h"
#include "serial/serial_platform.h"

namespace velanto {

std::string PortOpenFailureText(int portNumber, PortOpenFailure failure) {
    if (failure != PortOpenFailure::PermissionRefused) {
        return kPortNotFoundText;
    }
    const std::string port = "COM" + std::to_string(portNumber);
    return "You have no permission to open " + port + " (" + DevicePathFor(port).string() +
           ").\nSerial ports are open to the group dialout; join it with\n"
           "sudo adduser $USER dialout\nthen log out and log in again.";
}

}  // namespace velanto
