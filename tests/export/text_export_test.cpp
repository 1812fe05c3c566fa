#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "export/export_error.h"
#include "export/gbk_text.h"
#include "export/text_export.h"
#include "tests/export/fake_export_ui.h"
#include "tests/scratch_folder.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;

using testing::ReadFile;

const std::string kHeading =
    "identifier   Detect number   Date   Hour   Program number   Result   RLU   Lower limit   Upper limit   remark\r\n";

// Each test works in a folder of its own and leaves the current directory as it found it.
class TextExport : public ::testing::Test {
protected:
    void TearDown() override { fs::current_path(m_previous); }

    void Touch(const char* name) { std::ofstream(m_folder / name) << "kept"; }

    static MemoryRecordTable OneRow() {
        MemoryRecordTable list;
        list.InsertRow(0);
        const char* cells[] = {"4660", "1", "2007/03/15", "09:05", "3", "Pass", "144", "100", "500"};
        for (std::size_t column = 0; column < 9; ++column) {
            list.SetCellText(0, column, cells[column]);
        }
        return list;
    }

    const fs::path m_previous = fs::current_path();
    const testing::ScratchFolder m_scratch;
    const fs::path m_folder = m_scratch.Path();
    testing::FakeExportUi m_ui;
};

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
    SaveAsText(MemoryRecordTable(), m_folder, m_ui);
    EXPECT_TRUE(m_ui.shown.empty());
    const std::string bytes = ReadFile(m_folder / "atp00.txt");
    ASSERT_EQ(bytes.size(), 155u);
    EXPECT_EQ(bytes.substr(44), kHeading);
    EXPECT_EQ(bytes.substr(40, 4), "nd\r\n");
    EXPECT_EQ(fs::current_path(), m_folder);  // the folder stays the current directory
}

TEST_F(TextExport, EveryCellIsFollowedByFiveSpacesAndTheLineByCrLf) {
    SaveAsText(OneRow(), m_folder, m_ui);
    const std::string bytes = ReadFile(m_folder / "atp00.txt");
    EXPECT_EQ(bytes.substr(155),
              "4660     1     2007/03/15     09:05     3     Pass     144     100     500          \r\n");
}

TEST_F(TextExport, TheFirstFreeNameIsTakenFromZeroUpward) {
    Touch("atp00.txt");
    Touch("atp01.txt");
    SaveAsText(OneRow(), m_folder, m_ui);
    EXPECT_TRUE(fs::exists(m_folder / "atp02.txt"));
    fs::remove(m_folder / "atp00.txt");
    SaveAsText(OneRow(), m_folder, m_ui);
    EXPECT_TRUE(fs::exists(m_folder / "atp00.txt"));
    EXPECT_EQ(ReadFile(m_folder / "atp01.txt"), "kept");
}

TEST_F(TextExport, AFolderOrADanglingLinkHoldsItsNameAndTheLinkIsNeverFollowed) {
    fs::create_directory(m_folder / "atp00.txt");
    fs::create_symlink(m_folder / "target.txt", m_folder / "atp01.txt");
    SaveAsText(OneRow(), m_folder, m_ui);
    EXPECT_TRUE(fs::exists(m_folder / "atp02.txt"));
    EXPECT_FALSE(fs::exists(m_folder / "target.txt"));
}

TEST_F(TextExport, WhenAllHundredNamesAreTakenNothingIsWrittenAndTheOperatorIsTold) {
    for (int n = 0; n < 100; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "atp%02d.txt", n);
        Touch(name);
    }
    SaveAsText(OneRow(), m_folder, m_ui);
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

TEST_F(TextExport, AFolderThatTakesNoFileGivesCreateFileFailed) {
    SaveAsText(OneRow(), "/proc", m_ui);  // not even root may create files there
    ASSERT_EQ(m_ui.shown.size(), 1u);
    EXPECT_EQ(m_ui.shown[0], "CreateFile failed\xEF\xBC\x81");
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

TEST_F(TextExport, AFailingWriteThrowsAFileErrorAndKeepsTheLinesBefore) {
    MemoryRecordTable list = OneRow();
    for (std::size_t row = 1; row < 500; ++row) {
        list.InsertRow(row);
        list.SetCellText(row, 0, "4660");
    }
    // The file-size limit makes the kernel refuse a write part way, as a full disk would.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SaveAsText(list, m_folder, m_ui);
        } catch (const FileError& error) {
            const std::string text = error.what();
            ::_exit(text.find("atp00.txt") != std::string::npos ? 42 : 1);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42) << "no FileError naming the file";
    const std::string bytes = ReadFile(m_folder / "atp00.txt");
    EXPECT_GT(bytes.size(), 155u);
    EXPECT_LE(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(44, kHeading.size()), kHeading);
}

TEST(CodePage936, AsciiPassesAndChineseBecomesGbkAndTheRestAQuestionMark) {
    EXPECT_EQ(ToCodePage936("Pass 144"), "Pass 144");
    EXPECT_EQ(ToCodePage936("\xE8\xA6\x86\xE7\x9B\x96\xEF\xBC\x81"), "\xB8\xB2\xB8\xC7\xA3\xA1");  // 覆盖！
    EXPECT_EQ(ToCodePage936("a\xF0\x9F\x98\x80z"), "a?z");
}

}  // namespace
}  // namespace velanto
