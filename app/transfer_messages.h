#pragma once

#include <string>

#include "dump/dump_reception.h"

namespace velanto {

// What the operator is told when a transfer goes wrong, in the dialog's own words.

// Nothing came back after the request on COM`portNumber`, which opens `device`.
std::string NoAnswerText(int portNumber, const std::string& device);

// The answer stopped after `length` bytes of a whole image.
std::string StoppedAnswerText(std::size_t length);

// The answer ended but does not look like the detector's memory; asks whether to show it anyway.
std::string DamagedAnswerQuestion(const AnswerFindings& findings);

}  // namespace velanto
