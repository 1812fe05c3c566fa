#pragma once

#include <cstddef>
#include <cstdint>

#include "serial/line_settings.h"

namespace velanto {

// How the detector is asked for its memory: the request byte on a line of these settings, answered by the
// whole image (kDumpSize bytes, no framing) holding at most kMaxRecords records.
inline constexpr LineSettings kDetectorLine{9600, Parity::None, 8, StopBits::One};
inline constexpr std::uint8_t kRequestByte = 0x55;
inline constexpr std::size_t kDumpSize = 16448;
inline constexpr std::size_t kMaxRecords = 2000;  // record 2000 ends on the image's last byte

}  // namespace velanto
