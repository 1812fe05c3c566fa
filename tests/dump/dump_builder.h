#pragma once

#include <cstdint>

#include "dump/detector_dump.h"

namespace velanto::testing {

// Lays out dump images byte by byte, so tests state the wire format themselves.
class DumpBuilder {
public:
    DumpBuilder& Count(std::uint16_t count) { return Put16(1, count); }
    DumpBuilder& Identifier(std::uint16_t identifier) { return Put16(5, identifier); }
    DumpBuilder& Limits(std::uint8_t program, std::uint16_t upper, std::uint16_t lower) {
        Put16(32 + 4 * program, upper);
        return Put16(34 + 4 * program, lower);
    }
    DumpBuilder& Record(std::size_t k, std::uint8_t rluHundreds, std::uint8_t rluRest, std::uint8_t program,
                        std::uint8_t minute = 0, std::uint8_t hour = 0, std::uint8_t day = 1, std::uint8_t month = 1,
                        std::uint8_t year = 7) {
        const std::size_t offset = 440 + 8 * k;
        const std::uint8_t bytes[] = {rluHundreds, rluRest, program, minute, hour, day, month, year};
        for (std::size_t i = 0; i < 8; ++i) {
            m_image[offset + i] = bytes[i];
        }
        return *this;
    }
    DumpBuilder& Byte(std::size_t offset, std::uint8_t value) {
        m_image[offset] = value;
        return *this;
    }
    const DetectorDump& Image() const { return m_image; }

private:
    DumpBuilder& Put16(std::size_t offset, std::uint16_t value) {
        m_image[offset] = static_cast<std::uint8_t>(value >> 8);
        m_image[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
        return *this;
    }

    DetectorDump m_image{};
};

}  // namespace velanto::testing
