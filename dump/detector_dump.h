#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dump/detector_protocol.h"
#include "dump/record_table.h"

namespace velanto {

// The detector's whole result memory, exactly as it arrives after the request byte.
// Every number of more than one byte is unsigned big-endian.
using DetectorDump = std::array<std::uint8_t, kDumpSize>;

inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kLimitTableOffset = 32;
inline constexpr std::size_t kLimitEntrySize = 4;
inline constexpr std::size_t kRecordBase = 440;  // record k starts at kRecordBase + kRecordSize * k
inline constexpr std::size_t kRecordSize = 8;

struct DumpHeader {
    std::uint16_t recordCount;
    std::uint16_t identifier;
};

// The 8 raw bytes of one stored measurement.
struct TestRecord {
    std::array<std::uint8_t, kRecordSize> bytes;

    // Byte 0 counts hundreds, byte 1 the rest (it may exceed 99).
    std::uint32_t Rlu() const { return bytes[0] * 100u + bytes[1]; }
    std::uint32_t Program() const { return bytes[2]; }
    std::uint8_t Minute() const { return bytes[3]; }
    std::uint8_t Hour() const { return bytes[4]; }
    std::uint8_t Day() const { return bytes[5]; }
    std::uint8_t Month() const { return bytes[6]; }
    std::uint8_t Year() const { return bytes[7]; }
};

struct LimitEntry {
    std::uint32_t upper;
    std::uint32_t lower;
};

DumpHeader ReadDumpHeader(const DetectorDump& image);

// Record k for k from 0 to kMaxRecords; slot 0 holds no measurement.
// Throws std::out_of_range for a k whose bytes would lie outside the image.
TestRecord ReadTestRecord(const DetectorDump& image, std::size_t k);

// The limits of program p, read at 32 + 4p wherever that falls: programs from 102
// on read bytes of the record area, as the detector itself does.
LimitEntry ReadLimitEntry(const DetectorDump& image, std::uint8_t program);

// Number of rows a dump decodes to: the header's count, limited to the records the image holds.
std::size_t DecodedRecordCount(const DumpHeader& header);

// "Pass", "Caution" or "Failed": above the upper limit fails, at or below the lower passes.
std::string_view JudgeRlu(std::uint32_t rlu, const LimitEntry& limits);

// The two characters '0' + v / 10 and '0' + v % 10; past 99 the first runs on past '9'.
std::array<char, 2> TwoCharacterText(std::uint8_t value);

// Inserts one row per stored record at rows 0 to n-1 of `table` (which the caller has
// emptied), row j holding record j + 1. Every row exists before the first cell is set;
// the remark cell is never set.
void DecodeDump(const DetectorDump& image, RecordTable& table);

}  // namespace velanto
