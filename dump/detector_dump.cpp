#include "dump/detector_dump.h"

#include <algorithm>
#include <stdexcept>

namespace velanto {
namespace {

std::uint16_t ReadBigEndian16(const DetectorDump& image, std::size_t offset) {
    return static_cast<std::uint16_t>(image[offset] << 8 | image[offset + 1]);
}

}  // namespace

DumpHeader ReadDumpHeader(const DetectorDump& image) { return {ReadBigEndian16(image, 1), ReadBigEndian16(image, 5)}; }

TestRecord ReadTestRecord(const DetectorDump& image, std::size_t k) {
    if (k > kMaxRecords) {
        throw std::out_of_range("record number past the end of the dump");
    }
    TestRecord record{};
    const auto first = image.begin() + static_cast<std::ptrdiff_t>(kRecordBase + kRecordSize * k);
    std::copy(first, first + kRecordSize, record.bytes.begin());
    return record;
}

LimitEntry ReadLimitEntry(const DetectorDump& image, std::uint8_t program) {
    const std::size_t offset = kLimitTableOffset + kLimitEntrySize * program;
    return {ReadBigEndian16(image, offset), ReadBigEndian16(image, offset + 2)};
}

std::size_t DecodedRecordCount(const DumpHeader& header) {
    return std::min<std::size_t>(header.recordCount, kMaxRecords);
}

std::string_view JudgeRlu(std::uint32_t rlu, const LimitEntry& limits) {
    if (rlu > limits.upper) {
        return "Failed";
    }
    if (rlu <= limits.lower) {
        return "Pass";
    }
    return "Caution";
}

std::array<char, 2> TwoCharacterText(std::uint8_t value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

}  // namespace velanto
