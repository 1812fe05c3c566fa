#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export/export_error.h"
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

}  // namespace
}  // namespace velanto
