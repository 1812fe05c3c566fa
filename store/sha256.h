#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace velanto {

// The SHA-256 digest of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace velanto
