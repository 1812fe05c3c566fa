#include <charconv>

#include "dump/detector_dump.h"

namespace velanto {
namespace {

// Decimal text of an unsigned number without sign, padding or grouping.
class DecimalText {
public:
    explicit DecimalText(std::uint32_t value) {
        m_length = static_cast<std::size_t>(std::to_chars(m_digits, m_digits + sizeof m_digits, value).ptr - m_digits);
    }
    operator std::string_view() const { return {m_digits, m_length}; }

private:
    char m_digits[10];
    std::size_t m_length;
};

// "20yy/mm/dd" with the two-character text of each byte.
std::array<char, 10> DateText(const TestRecord& record) {
    const auto year = TwoCharacterText(record.Year());
    const auto month = TwoCharacterText(record.Month());
    const auto day = TwoCharacterText(record.Day());
    return {'2', '0', year[0], year[1], '/', month[0], month[1], '/', day[0], day[1]};
}

// "hh:mm" with the two-character text of each byte.
std::array<char, 5> TimeText(const TestRecord& record) {
    const auto hour = TwoCharacterText(record.Hour());
    const auto minute = TwoCharacterText(record.Minute());
    return {hour[0], hour[1], ':', minute[0], minute[1]};
}

std::string_view View(const auto& characters) { return {characters.data(), characters.size()}; }

}  // namespace

void DecodeDump(const DetectorDump& image, RecordTable& table) {
    const DumpHeader header = ReadDumpHeader(image);
    const std::size_t count = DecodedRecordCount(header);
    for (std::size_t i = 0; i < count; ++i) {
        table.InsertRow(i);
    }
    const DecimalText identifier(header.identifier);
    for (std::size_t row = 0; row < count; ++row) {
        const std::size_t k = row + 1;
        const TestRecord record = ReadTestRecord(image, k);
        const std::uint32_t rlu = record.Rlu();
        const std::uint32_t program = record.Program();
        const auto time = TimeText(record);
        const auto date = DateText(record);
        const LimitEntry limits = ReadLimitEntry(image, static_cast<std::uint8_t>(program));

        table.SetCellText(row, 5, JudgeRlu(rlu, limits));
        table.SetCellText(row, 0, identifier);
        table.SetCellText(row, 1, DecimalText(static_cast<std::uint32_t>(k)));
        table.SetCellText(row, 2, View(date));
        table.SetCellText(row, 3, View(time));
        table.SetCellText(row, 4, DecimalText(program));
        table.SetCellText(row, 6, DecimalText(rlu));
        table.SetCellText(row, 7, DecimalText(limits.lower));
        table.SetCellText(row, 8, DecimalText(limits.upper));
    }
}

}  // namespace velanto
