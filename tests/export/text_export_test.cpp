#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export/export_error.h"
#include "export/gbk_text.h"
#include "export/text_export.h"
#include "tests/export/text_export_fixture.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;

using testing::kHeading;
using testing::ReadFile;
using testing::TextExport;

TEST(TextTimeLine, NamesEveryFieldInEnglishWithLeadingZeros) {
    std::tm time{};
    time.tm_year = 107;
    time.tm_mon = 2;
    time.tm_mday = 15;
    time.tm_hour = 9;
    time.tm_min = 5;
    EXPECT_EQ(TextTimeLine(time), "2007year03month15day09hour05minute00second\r\n");
}

TEST_F(TextExport, AnEmptyListGivesTheTimeLineAndTheHeadingLine) {
    SaveAsText(MemoryRecordTable(), m_folder.string(), m_ui);
    EXPECT_TRUE(m_ui.shown.empty());
    const std::string bytes = ReadFile(m_folder / "atp00.txt");
    ASSERT_EQ(bytes.size(), 155u);
    EXPECT_EQ(bytes.substr(44), kHeading);
    EXPECT_EQ(bytes.substr(40, 4), "nd\r\n");
    EXPECT_EQ(fs::current_path(), m_folder);  // the folder stays the current directory
}

TEST_F(TextExport, EveryCellIsFollowedByFiveSpacesAndTheLineByCrLf) {
    SaveAsText(OneRow(), m_folder.string(), m_ui);
    const std::string bytes = ReadFile(m_folder / "atp00.txt");
    EXPECT_EQ(bytes.substr(155),
              "4660     1     2007/03/15     09:05     3     Pass     144     100     500          \r\n");
}

TEST_F(TextExport, TheFirstFreeNameIsTakenFromZeroUpward) {
    Touch("atp00.txt");
    Touch("atp01.txt");
    SaveAsText(OneRow(), m_folder.string(), m_ui);
    EXPECT_TRUE(fs::exists(m_folder / "atp02.txt"));
    fs::remove(m_folder / "atp00.txt");
    SaveAsText(OneRow(), m_folder.string(), m_ui);
    EXPECT_TRUE(fs::exists(m_folder / "atp00.txt"));
    EXPECT_EQ(ReadFile(m_folder / "atp01.txt"), "kept");
}

TEST_F(TextExport, WhenAllHundredNamesAreTakenNothingIsWrittenAndTheOperatorIsTold) {
    for (int n = 0; n < 100; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "atp%02d.txt", n);
        Touch(name);
    }
    SaveAsText(OneRow(), m_folder.string(), m_ui);
    ASSERT_EQ(m_ui.shown.size(), 1u);
    EXPECT_NE(m_ui.shown[0].find(m_folder.string()), std::string::npos) << m_ui.shown[0];
    EXPECT_EQ(ReadFile(m_folder / "atp00.txt"), "kept");
    EXPECT_EQ(ReadFile(m_folder / "atp99.txt"), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 100);
}

TEST_F(TextExport, AMissingFolderIsCreatedWithItsParents) {
    const fs::path deep = m_folder / "a" / "b" / "c";
    SaveAsText(OneRow(), deep.string(), m_ui);
    EXPECT_TRUE(fs::exists(deep / "atp00.txt"));
}

TEST_F(TextExport, AnEmptyFolderWritesIntoTheCurrentDirectory) {
    fs::current_path(m_folder);
    SaveAsText(OneRow(), "", m_ui);
    EXPECT_TRUE(fs::exists(m_folder / "atp00.txt"));
}

TEST_F(TextExport, AFolderThatCannotBeEnteredIsToldAndNothingGoesElsewhere) {
    Touch("file");
    fs::current_path(m_folder);
    try {
        SaveAsText(OneRow(), (m_folder / "file/sub").string(), m_ui);
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find((m_folder / "file/sub").string()), std::string::npos) << error.what();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), {}), 1);
}

TEST(CodePage936, AsciiPassesAndChineseBecomesGbkAndTheRestAQuestionMark) {
    EXPECT_EQ(ToCodePage936("Pass 144"), "Pass 144");
    EXPECT_EQ(ToCodePage936("\xE8\xA6\x86\xE7\x9B\x96\xEF\xBC\x81"), "\xB8\xB2\xB8\xC7\xA3\xA1");  // 覆盖！
    EXPECT_EQ(ToCodePage936("a\xF0\x9F\x98\x80z"), "a?z");
}

// Every system's conversion gives the same: one '?' for each character GBK lacks and for each
// broken sequence, and nothing of the characters around them lost.
TEST(CodePage936, EachLackingCharacterAndEachBrokenSequenceIsOneQuestionMark) {
    const struct {
        const char* utf8;
        const char* gbk;
    } cases[] = {
        {"a\xE8\xA6z", "a?z"},                               // a character cut short
        {"\xE8\xA6\xE8\xA6\x86", "?\xB8\xB2"},               // cut short, then whole
        {"x\xE8", "x?"},                                     // cut at the end
        {"\x80\x80\x80x", "?x"},                             // stray continuation bytes
        {"\xC0\x80", "?"},                                   // an overlong NUL
        {"\xED\xA0\x80", "?"},                               // a UTF-16 surrogate
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80", "??"},          // two characters GBK lacks
        {"\xF0\x9F\x98\x80\x80\xE7\x9B\x96", "??\xB8\xC7"},  // a lacking one, a stray byte, 盖
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToCodePage936(c.utf8), c.gbk) << ::testing::PrintToString(std::string(c.utf8));
    }
}

}  // namespace
}  // namespace velanto
