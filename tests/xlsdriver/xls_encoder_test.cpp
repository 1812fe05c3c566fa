#include "xlsdriver/xls_encoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/xlsdriver/xls_reader.h"

namespace velanto {
namespace {

using testing::BiffRecord;
using testing::ReadBiffRecords;
using testing::ReadSheets;

testing::Bytes StreamOf(const Workbook& book) {
    return testing::ReadCompoundStreams(EncodeXlsFile(book)).at(u"Workbook");
}

std::vector<std::uint16_t> Types(const std::vector<BiffRecord>& records) {
    std::vector<std::uint16_t> types;
    for (const BiffRecord& record : records)
        types.push_back(record.type);
    return types;
}

TEST(XlsEncoder, WorkbookWithoutTablesHasOneEmptySheet) {
    const auto sheets = ReadSheets(StreamOf(Workbook(true)));
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "Sheet1");
    EXPECT_TRUE(sheets[0].cells.empty());
}

TEST(XlsEncoder, GlobalsHoldWhatExcelNeedsToOpenTheFile) {
    Workbook book(true);
    book.CreateSheet("velanto", {"0ID"});
    const std::vector<std::uint16_t> types = Types(ReadBiffRecords(StreamOf(book)));
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), 0x0809);
    const auto count = [&](std::uint16_t type) { return std::count(types.begin(), types.end(), type); };
    EXPECT_EQ(count(0x0042), 1) << "CODEPAGE";
    EXPECT_EQ(count(0x003D), 1) << "WINDOW1";
    EXPECT_GE(count(0x0031), 4) << "FONT";
    EXPECT_GE(count(0x00E0), 16) << "XF";
    EXPECT_GE(count(0x0293), 1) << "STYLE";
    EXPECT_EQ(count(0x0085), 1) << "BOUNDSHEET";
    EXPECT_EQ(count(0x00FC), 1) << "SST";
    EXPECT_EQ(count(0x00FF), 1) << "EXTSST";
    EXPECT_EQ(count(0x0809), 2) << "BOF";
    EXPECT_EQ(count(0x000A), 2) << "EOF";
    EXPECT_EQ(count(0x0200), 1) << "DIMENSIONS";
    EXPECT_EQ(count(0x023E), 1) << "WINDOW2";
}

TEST(XlsEncoder, EveryCellReadsBackInItsSheet) {
    Workbook book(true);
    book.CreateSheet("velanto", {"0ID", "1TESTNO", "9remark"});
    book.Sheet("velanto").AppendRow({"4660", "1", ""});
    book.Sheet("velanto").AppendRow({"caf\xC3\xA9", "\xE8\xA6\x86\xE7\x9B\x96", "\xF0\x9F\x98\x80"});
    book.CreateSheet("\xE7\xAC\xAC\xE4\xBA\x8C", {"x"});
    book.Sheet("\xE7\xAC\xAC\xE4\xBA\x8C").AppendRow({"4660"});

    const auto sheets = ReadSheets(StreamOf(book));
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, "velanto");
    EXPECT_EQ(sheets[0].dimensionRows, 3u);
    EXPECT_EQ(sheets[0].dimensionColumns, 3u);
    using Cells = std::map<std::pair<std::size_t, std::size_t>, std::string>;
    EXPECT_EQ(sheets[0].cells, (Cells{{{0, 0}, "0ID"},
                                      {{0, 1}, "1TESTNO"},
                                      {{0, 2}, "9remark"},
                                      {{1, 0}, "4660"},
                                      {{1, 1}, "1"},
                                      {{2, 0}, "caf\xC3\xA9"},
                                      {{2, 1}, "\xE8\xA6\x86\xE7\x9B\x96"},
                                      {{2, 2}, "\xF0\x9F\x98\x80"}}));
    EXPECT_EQ(sheets[1].name, "\xE7\xAC\xAC\xE4\xBA\x8C");
    EXPECT_EQ(sheets[1].cells, (Cells{{{0, 0}, "x"}, {{1, 0}, "4660"}}));
}

// Many long texts, narrow and wide, split across CONTINUE records at every kind of place.
TEST(XlsEncoder, SharedStringsSplitAcrossRecordsReadBack) {
    Workbook book(false);
    book.CreateSheet("t", {"narrow", "wide", "big"});
    Worksheet& sheet = book.Sheet("t");
    std::vector<std::vector<std::string>> expected;
    for (int row = 0; row < 400; ++row) {
        std::string narrow(static_cast<std::size_t>(row * 37 % 3001), static_cast<char>('a' + row % 26));
        std::string wide;
        for (int i = 0; i < row % 41; ++i)
            wide += "\xE8\xA6\x86";
        std::string big = row % 50 == 0 ? std::string(32767, 'z') + std::to_string(row) : std::to_string(row);
        big.resize(std::min<std::size_t>(big.size(), 32767));
        expected.push_back({narrow + std::to_string(row), wide + std::to_string(row), big});
        sheet.AppendRow(expected.back());
    }
    const testing::Bytes stream = StreamOf(book);
    for (const BiffRecord& record : ReadBiffRecords(stream)) {
        ASSERT_LE(record.body.size(), 8224u);
    }
    const auto sheets = ReadSheets(stream);
    ASSERT_EQ(sheets.size(), 1u);
    for (std::size_t row = 0; row < expected.size(); ++row) {
        for (std::size_t column = 0; column < 3; ++column) {
            ASSERT_EQ(sheets[0].cells.at({row, column}), expected[row][column]) << row << "," << column;
        }
    }
}

TEST(XlsEncoder, ExtSstPointsAtStringStarts) {
    Workbook book(false);
    book.CreateSheet("t", {"a"});
    for (int i = 0; i < 3000; ++i)
        book.Sheet("t").AppendRow({std::string(100, 'k') + std::to_string(i)});
    const testing::Bytes stream = StreamOf(book);
    const std::vector<BiffRecord> records = ReadBiffRecords(stream);
    const auto ext = std::find_if(records.begin(), records.end(), [](const BiffRecord& r) { return r.type == 0xFF; });
    ASSERT_NE(ext, records.end());
    const std::size_t bucket = ext->body[0] | ext->body[1] << 8;
    EXPECT_EQ(bucket, 24u);  // 3000 texts in at most 128 buckets
    for (std::size_t at = 2; at < ext->body.size(); at += 8) {
        const std::size_t position = ext->body[at] | ext->body[at + 1] << 8 | ext->body[at + 2] << 16;
        const std::size_t offset = ext->body[at + 4] | ext->body[at + 5] << 8;
        // Each entry's string starts with its length, 100 + digits, in a record `offset` bytes back.
        EXPECT_GE(stream[position], 101);
        EXPECT_EQ(stream[position + 2], 0);
        const std::size_t recordType = stream[position - offset] | stream[position - offset + 1] << 8;
        EXPECT_THAT(recordType, ::testing::AnyOf(0xFC, 0x3C));
    }
}

}  // namespace
}  // namespace velanto
