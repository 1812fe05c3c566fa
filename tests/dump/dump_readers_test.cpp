#include <gtest/gtest.h>

#include <stdexcept>

#include "dump/detector_dump.h"
#include "tests/dump/dump_builder.h"

namespace velanto {
namespace {

using testing::DumpBuilder;

TEST(DumpHeader, CountAndIdentifierAreBigEndianAndOtherHeaderBytesChangeNothing) {
    DumpBuilder dump;
    dump.Byte(1, 0x01).Byte(2, 0x02).Byte(5, 0x12).Byte(6, 0x34);
    for (std::size_t offset : {0, 3, 4, 7, 8, 20, 31}) {
        dump.Byte(offset, 0xFF);
    }
    const DumpHeader header = ReadDumpHeader(dump.Image());
    EXPECT_EQ(header.recordCount, 258);
    EXPECT_EQ(header.identifier, 4660);
}

TEST(DumpHeader, RecordCountIsLimitedToTheSlotsOfTheImage) {
    EXPECT_EQ(DecodedRecordCount({0, 0}), 0u);
    EXPECT_EQ(DecodedRecordCount({2000, 0}), 2000u);
    EXPECT_EQ(DecodedRecordCount({2001, 0}), 2000u);
    EXPECT_EQ(DecodedRecordCount({65535, 0}), 2000u);
}

TEST(LimitEntry, UpperLimitStandsFirst) {
    DumpBuilder dump;
    dump.Byte(32 + 4 * 7, 0x01).Byte(33 + 4 * 7, 0xF4).Byte(34 + 4 * 7, 0x00).Byte(35 + 4 * 7, 0x64);
    const LimitEntry limits = ReadLimitEntry(dump.Image(), 7);
    EXPECT_EQ(limits.upper, 500u);
    EXPECT_EQ(limits.lower, 100u);
}

TEST(LimitEntry, ProgramsPastTheTableReadTheRecordArea) {
    DumpBuilder dump;
    dump.Byte(440, 0x00).Byte(441, 0x0A).Byte(442, 0x00).Byte(443, 0x0B);      // slot 0: program 102
    dump.Byte(446, 0x00).Byte(447, 0x0D);                                      // program 103's lower limit
    dump.Record(1, 0x01, 0x02, 0x03, 0x04);                                    // program 104 reads record 1
    dump.Byte(1052, 0xAB).Byte(1053, 0xCD).Byte(1054, 0xEF).Byte(1055, 0x01);  // end of record 76
    EXPECT_EQ(ReadLimitEntry(dump.Image(), 102).upper, 10u);
    EXPECT_EQ(ReadLimitEntry(dump.Image(), 102).lower, 11u);
    EXPECT_EQ(ReadLimitEntry(dump.Image(), 103).lower, 13u);
    EXPECT_EQ(ReadLimitEntry(dump.Image(), 104).upper, 0x0102u);
    EXPECT_EQ(ReadLimitEntry(dump.Image(), 104).lower, 0x0304u);
    EXPECT_EQ(ReadLimitEntry(dump.Image(), 255).upper, 0xABCDu);
    EXPECT_EQ(ReadLimitEntry(dump.Image(), 255).lower, 0xEF01u);
}

TEST(TestRecordReader, ReadsEightBytesAtTheRecordOffset) {
    DumpBuilder dump;
    dump.Record(1, 1, 2, 3, 4, 5, 6, 7, 8).Record(2000, 9, 10, 11, 12, 13, 14, 15, 16);
    const TestRecord first = ReadTestRecord(dump.Image(), 1);
    EXPECT_EQ(first.bytes, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(first.Program(), 3u);
    EXPECT_EQ(first.Minute(), 4);
    EXPECT_EQ(first.Hour(), 5);
    EXPECT_EQ(first.Day(), 6);
    EXPECT_EQ(first.Month(), 7);
    EXPECT_EQ(first.Year(), 8);
    EXPECT_EQ(ReadTestRecord(dump.Image(), 2000).bytes[7], 16);
    EXPECT_THROW(ReadTestRecord(dump.Image(), 2001), std::out_of_range);
}

TEST(TestRecordReader, RluCountsHundredsNotBytes) {
    EXPECT_EQ((TestRecord{{0x01, 0x2C}}).Rlu(), 144u);
    EXPECT_EQ((TestRecord{{0x00, 0xFF}}).Rlu(), 255u);
    EXPECT_EQ((TestRecord{{0xFF, 0xFF}}).Rlu(), 25755u);
}

struct VerdictCase {
    std::uint32_t lower, upper, rlu;
    const char* verdict;
};

class Verdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(Verdict, FollowsTheUpperTestFirst) {
    const VerdictCase& c = GetParam();
    EXPECT_EQ(JudgeRlu(c.rlu, {c.upper, c.lower}), c.verdict)
        << "lower " << c.lower << " upper " << c.upper << " rlu " << c.rlu;
}

INSTANTIATE_TEST_SUITE_P(Boundaries, Verdict,
                         ::testing::Values(VerdictCase{100, 500, 0, "Pass"}, VerdictCase{100, 500, 100, "Pass"},
                                           VerdictCase{100, 500, 101, "Caution"}, VerdictCase{100, 500, 500, "Caution"},
                                           VerdictCase{100, 500, 501, "Failed"}, VerdictCase{500, 100, 100, "Pass"},
                                           VerdictCase{500, 100, 101, "Failed"}, VerdictCase{500, 100, 500, "Failed"},
                                           VerdictCase{0, 0, 0, "Pass"}, VerdictCase{0, 0, 1, "Failed"},
                                           VerdictCase{65535, 65535, 25755, "Pass"}));

TEST(TwoCharacterText, RunsOnPastNineForHundredAndMore) {
    auto text = [](std::uint8_t v) {
        const auto c = TwoCharacterText(v);
        return std::string(c.begin(), c.end());
    };
    EXPECT_EQ(text(0), "00");
    EXPECT_EQ(text(5), "05");
    EXPECT_EQ(text(99), "99");
    EXPECT_EQ(text(100), ":0");
    EXPECT_EQ(text(123), "<3");
    EXPECT_EQ(text(200), "D0");
    EXPECT_EQ(text(255), "I5");
}

}  // namespace
}  // namespace velanto
