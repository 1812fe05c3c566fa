#include "app/transfer_messages.h"

namespace velanto {

std::string NoAnswerText(int portNumber, const std::string& device) {
    return "The detector did not answer on COM" + std::to_string(portNumber) + " (" + device +
           ").\nPlease check steps [1] and [2] of the instructions: the serial cable between the computer and "
           "the detector, the port chosen, and the detector switched on and set to Serial. Then press Start "
           "again.";
}

std::string StoppedAnswerText(std::size_t length) {
    return "The detector's answer stopped after " + std::to_string(length) + " of " + std::to_string(kDumpSize) +
           " bytes.\nThe record list is unchanged. Please check the serial cable and press Start again.";
}

std::string DamagedAnswerQuestion(const AnswerFindings& findings) {
    std::string text = "The detector's answer looks damaged:";
    if (findings.IsTooLong()) {
        text += "\nit was " + std::to_string(findings.length) + " bytes long instead of " +
                std::to_string(kDumpSize) + ";";
    }
    if (findings.ClaimsTooManyRecords()) {
        text += "\nit claims " + std::to_string(findings.claimedRecords) + " records, more than " +
                std::to_string(kMaxRecords) + ";";
    }
    text.back() = '.';
    return text + "\nShow its records anyway? No keeps the records shown now.";
}

}  // namespace velanto
