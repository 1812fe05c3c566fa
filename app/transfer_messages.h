#pragma once

#include <string>

#include "transfer/dump_reception.h"
#include "serial/comm_port.h"

namespace velanto {

// What Start tells the operator when a transfer goes wrong, in UTF-8 and the dialog's own words.

// COM`portNumber` could not be opened: a refused permission names the port, its device and the fix; any
// other failure keeps the one text for an absent or busy port.
std::string PortOpenFailureText(int portNumber, PortOpenFailure failure);

// Nothing came back after the request on COM`portNumber`; names the device it opens.
std::string NoAnswerText(int portNumber);

// Something on COM`portNumber` kept sending without a pause, so no request was sent.
std::string BusyLineText(int portNumber);

// The answer on COM`portNumber` stopped after `length` bytes of a whole image.
std::string StoppedAnswerText(int portNumber, std::size_t length);

// The answer ended but does not look like the detector's memory; asks whether to show it anyway.
std::string DamagedAnswerQuestion(const AnswerFindings& findings);

}  // namespace velanto
