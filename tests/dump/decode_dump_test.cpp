#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dump/detector_dump.h"
#include "tests/dump/dump_builder.h"

namespace velanto {
namespace {

using testing::DumpBuilder;

MemoryRecordTable Decode(const DetectorDump& image) {
    MemoryRecordTable table;
    DecodeDump(image, table);
    return table;
}

std::vector<std::string> Row(const RecordTable& table, std::size_t row) {
    std::vector<std::string> cells;
    for (std::size_t column = 0; column < table.ColumnCount(); ++column) {
        cells.push_back(table.CellText(row, column));
    }
    return cells;
}

TEST(DecodeDump, OneRecordGivesTheTenCellsOfItsRow) {
    DumpBuilder dump;
    dump.Count(1).Identifier(0x1234).Limits(3, 500, 100).Record(1, 0x01, 0x2C, 3, 5, 9, 15, 3, 7);
    const MemoryRecordTable table = Decode(dump.Image());
    ASSERT_EQ(table.RowCount(), 1u);
    EXPECT_THAT(Row(table, 0),
                ::testing::ElementsAre("4660", "1", "2007/03/15", "09:05", "3", "Caution", "144", "100", "500", ""));
}

TEST(DecodeDump, CountsZeroAndTwoHundredFiftyEight) {
    EXPECT_EQ(Decode(DumpBuilder().Image()).RowCount(), 0u);
    DumpBuilder dump;
    dump.Byte(1, 0x01).Byte(2, 0x02).Identifier(7);
    const MemoryRecordTable table = Decode(dump.Image());
    ASSERT_EQ(table.RowCount(), 258u);
    EXPECT_EQ(table.CellText(257, 1), "258");
    EXPECT_EQ(table.CellText(257, 0), "7");
}

TEST(DecodeDump, FullMemoryEndsOnTheImagesLastByte) {
    DumpBuilder dump;
    dump.Count(2000).Byte(16447, 26);
    const MemoryRecordTable table = Decode(dump.Image());
    ASSERT_EQ(table.RowCount(), 2000u);
    EXPECT_EQ(table.CellText(1999, 1), "2000");
    EXPECT_EQ(table.CellText(1999, 2), "2026/00/00");
}

TEST(DecodeDump, CountAboveTwoThousandDecodesTheRecordsTheImageHolds) {
    for (std::uint16_t count : {2001, 40000, 65535}) {
        DumpBuilder dump;
        dump.Count(count).Record(2000, 0, 42, 0);
        const MemoryRecordTable table = Decode(dump.Image());
        ASSERT_EQ(table.RowCount(), 2000u) << count;
        EXPECT_EQ(table.CellText(1999, 6), "42");
    }
}

TEST(DecodeDump, VerdictAndLimitsComeFromTheRecordsProgram) {
    DumpBuilder dump;
    dump.Count(4).Limits(1, 500, 100).Limits(2, 100, 500);
    dump.Record(1, 1, 1, 1).Record(2, 5, 1, 1).Record(3, 1, 0, 2).Record(4, 1, 1, 2);
    const MemoryRecordTable table = Decode(dump.Image());
    EXPECT_EQ(table.CellText(0, 5), "Caution");
    EXPECT_EQ(table.CellText(1, 5), "Failed");
    EXPECT_EQ(table.CellText(2, 5), "Pass");
    EXPECT_EQ(table.CellText(3, 5), "Failed");
    EXPECT_EQ(table.CellText(3, 7), "500");
    EXPECT_EQ(table.CellText(3, 8), "100");
}

TEST(DecodeDump, ProgramPastTheTableTakesItsLimitsFromRecordBytes) {
    DumpBuilder dump;
    dump.Count(76).Record(1, 0, 50, 104, 0, 0, 0, 0, 0).Record(76, 0, 0, 255, 0, 0x01, 0xF4, 0x00, 0x64);
    const MemoryRecordTable table = Decode(dump.Image());
    // Record 1 is its own limit entry: upper 0x0032 = 50, lower 0x6800 = 26624.
    EXPECT_EQ(table.CellText(0, 8), "50");
    EXPECT_EQ(table.CellText(0, 7), "26624");
    EXPECT_EQ(table.CellText(0, 5), "Pass");
    // Program 255 reads offsets 1052 to 1055, the last four bytes of record 76.
    EXPECT_EQ(table.CellText(75, 8), "500");
    EXPECT_EQ(table.CellText(75, 7), "100");
}

TEST(DecodeDump, DateAndTimeBytesOutOfRangeShowAsTheyAre) {
    DumpBuilder dump;
    dump.Count(1).Record(1, 0, 0, 0, 200, 123, 255, 100, 99);
    const MemoryRecordTable table = Decode(dump.Image());
    EXPECT_EQ(table.CellText(0, 3), "<3:D0");
    EXPECT_EQ(table.CellText(0, 2), "2099/:0/I5");
}

TEST(DecodeDump, DecimalCellsHaveNoPaddingAndZeroIsOneDigit) {
    DumpBuilder dump;
    dump.Count(1).Identifier(0).Record(1, 0, 0, 0);
    const MemoryRecordTable table = Decode(dump.Image());
    EXPECT_THAT(Row(table, 0), ::testing::ElementsAre("0", "1", "2007/01/01", "00:00", "0", "Pass", "0", "0", "0", ""));
}

// Records the calls that decoding makes on the record list.
class CallLog final : public RecordTable {
public:
    std::vector<std::pair<std::size_t, std::size_t>> calls;  // (row, column); column npos for an insert

    void InsertRow(std::size_t index) override { calls.emplace_back(index, std::string::npos); }
    void SetCellText(std::size_t row, std::size_t column, std::string_view) override {
        calls.emplace_back(row, column);
    }
    void RemoveAllRows() override { calls.clear(); }
    std::size_t RowCount() const override { return 0; }
    std::size_t ColumnCount() const override { return kResultColumnCount; }
    std::string ColumnHeading(std::size_t) const override { return {}; }
    std::string CellText(std::size_t, std::size_t) const override { return {}; }
};

TEST(DecodeDump, InsertsEveryRowFirstThenFillsEachRowVerdictFirstAndNeverTheRemark) {
    DumpBuilder dump;
    dump.Count(3);
    CallLog log;
    DecodeDump(dump.Image(), log);
    const std::size_t insert = std::string::npos;
    std::vector<std::pair<std::size_t, std::size_t>> expected = {{0, insert}, {1, insert}, {2, insert}};
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t column : {5, 0, 1, 2, 3, 4, 6, 7, 8}) {
            expected.emplace_back(row, column);
        }
    }
    EXPECT_EQ(log.calls, expected);
}

}  // namespace
}  // namespace velanto
