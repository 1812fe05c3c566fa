#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dump/detector_dump.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

TEST(GenerateDump, SameRecipeGivesTheSameBytesAndAnotherSeedOthers) {
    const DumpRecipe recipe{2000, 4660, 7};
    EXPECT_EQ(GenerateDump(recipe), GenerateDump(recipe));
    EXPECT_NE(GenerateDump(recipe), GenerateDump({2000, 4660, 8}));
}

TEST(GenerateDump, HeaderHoldsTheRecipesCountAndIdentifier) {
    const DetectorDump image = GenerateDump({37, 513, 1});
    EXPECT_EQ(ReadDumpHeader(image).recordCount, 37);
    EXPECT_EQ(ReadDumpHeader(image).identifier, 513);
    const TestRecord unused = ReadTestRecord(image, 38);
    EXPECT_EQ(unused.bytes, (std::array<std::uint8_t, 8>{}));
}

TEST(GenerateDump, FullMemoryIsPlausibleAndShowsEveryVerdict) {
    const DetectorDump image = GenerateDump({});
    MemoryRecordTable table;
    DecodeDump(image, table);
    ASSERT_EQ(table.RowCount(), 2000u);
    std::set<std::string> verdicts;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        verdicts.insert(table.CellText(row, 5));
        const TestRecord record = ReadTestRecord(image, row + 1);
        EXPECT_GE(record.Month(), 1);
        EXPECT_LE(record.Month(), 12);
        EXPECT_GE(record.Day(), 1);
        EXPECT_LE(record.Day(), 28);
        EXPECT_LE(record.Hour(), 23);
        EXPECT_LE(record.Minute(), 59);
        EXPECT_LT(record.Program(), 102u);
        const LimitEntry limits = ReadLimitEntry(image, static_cast<std::uint8_t>(record.Program()));
        EXPECT_LT(limits.lower, limits.upper);
    }
    EXPECT_EQ(verdicts, (std::set<std::string>{"Caution", "Failed", "Pass"}));
}

}  // namespace
}  // namespace velanto
