#pragma once

#include <cstdint>

namespace velanto {

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, Two };

// How a serial line frames its characters.
struct LineSettings {
    std::uint32_t baudRate = 9600;
    Parity parity = Parity::None;
    std::uint32_t dataBits = 8;  // 5 to 8
    StopBits stopBits = StopBits::One;

    bool operator==(const LineSettings&) const = default;
};

}  // namespace velanto
