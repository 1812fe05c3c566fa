#include "app/transfer_messages.h"

#include "app/app_strings.h"
#include "serial/serial_platform.h"

namespace velanto {
namespace {

// "COM1 (/dev/ttyUSB0)": the port and the device it opens, so that the operator sees which one was used.
std::string PortAndDevice(int portNumber) {
    const std::string port = "COM" + std::to_string(portNumber);
    return port + " (" + DevicePathFor(port).string() + ")";
}

}  // namespace

std::string PortOpenFailureText(int portNumber, PortOpenFailure failure) {
    if (failure != PortOpenFailure::PermissionRefused) {
        return kPortNotFoundText;
    }
    return "You have no permission to open " + PortAndDevice(portNumber) +
           ".\nSerial ports are open to the group dialout; join it with\n"
           "sudo adduser $USER dialout\nthen log out and log in again.";
}

std::string NoAnswerText(int portNumber) {
    return "The detector did not answer on " + PortAndDevice(portNumber) +
           ".\nPlease check steps [1] and [2] of the instructions: the serial cable between the computer and "
           "the detector, the port chosen, and the detector switched on and set to Serial. Then press Start "
           "again.";
}

std::string BusyLineText(int portNumber) {
    return PortAndDevice(portNumber) +
           " keeps sending without a pause, so no request was sent to the detector.\nThe record list is "
           "unchanged. Please check the serial cable, that the port chosen is the detector's, and that the detector "
           "is set to Serial. Then press Start again.";
}

std::string StoppedAnswerText(int portNumber, std::size_t length) {
    return "The detector's answer on " + PortAndDevice(portNumber) + " stopped after " + std::to_string(length) +
           " of " + std::to_string(kDumpSize) +
           " bytes.\nThe record list is unchanged. Please check the serial cable and press Start again.";
}

std::string DamagedAnswerQuestion(const AnswerFindings& findings) {
    std::string text = "The detector's answer looks damaged:";
    if (findings.IsTooLong()) {
        text +=
            "\nit was " + std::to_string(findings.length) + " bytes long instead of " + std::to_string(kDumpSize) + ";";
    }
    if (findings.ClaimsTooManyRecords()) {
        text += "\nit claims " + std::to_string(findings.claimedRecords) + " records, more than " +
                std::to_string(kMaxRecords) + ";";
    }
    text.back() = '.';
    return text + "\nShow its records anyway? No keeps the records shown now.";
}

}  // namespace velanto
