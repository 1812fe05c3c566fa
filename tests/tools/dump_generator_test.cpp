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

TEST(GenerateDump, AFirstDayLaterMovesEveryRecordOnByThatManyWorkingDays) {
    const DetectorDump from = GenerateDump({50, 7, 3});
    const DetectorDump later = GenerateDump({50, 7, 3, 12 * 28 + 28 + 27});  // a year, a month and 27 days
    for (std::size_t k = 1; k <= 50; ++k) {
        const TestRecord a = ReadTestRecord(from, k), b = ReadTestRecord(later, k);
        const int daysFrom = (a.Year() * 12 + a.Month() - 1) * 28 + a.Day() - 1;
        EXPECT_EQ((b.Year() * 12 + b.Month() - 1) * 28 + b.Day() - 1, daysFrom + 12 * 28 + 28 + 27) << k;
        EXPECT_EQ(b.Hour() * 60 + b.Minute(), a.Hour() * 60 + a.Minute()) << k;
        EXPECT_EQ(b.Program(), a.Program()) << k;
    }
}

}  // namespace
}  // namespace velanto
