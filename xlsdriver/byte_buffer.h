#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velanto {

// Bytes of a file being built; every number in the workbook formats is little-endian.
using ByteBuffer = std::vector<std::uint8_t>;

inline void AppendU8(ByteBuffer& out, std::uint8_t value) { out.push_back(value); }

inline void AppendU16(ByteBuffer& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendU32(ByteBuffer& out, std::uint32_t value) {
    AppendU16(out, static_cast<std::uint16_t>(value));
    AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

inline void PutU16(ByteBuffer& out, std::size_t offset, std::uint16_t value) {
    out[offset] = static_cast<std::uint8_t>(value);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutU32(ByteBuffer& out, std::size_t offset, std::uint32_t value) {
    PutU16(out, offset, static_cast<std::uint16_t>(value));
    PutU16(out, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace velanto
