#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "export/export_error.h"
#include "export/text_export.h"
#include "tests/export/text_export_fixture.h"

// What only a POSIX system can arrange: links, a folder no one may write in, a file-size limit.
namespace velanto {
namespace {

namespace fs = std::filesystem;

using testing::kHeading;
using testing::ReadFile;
using testing::TextExport;

TEST_F(TextExport, AFolderOrADanglingLinkHoldsItsNameAndTheLinkIsNeverFollowed) {
    fs::create_directory(m_folder / "atp00.txt");
    fs::create_symlink(m_folder / "target.txt", m_folder / "atp01.txt");
    SaveAsText(OneRow(), m_folder.string(), m_ui);
    EXPECT_TRUE(fs::exists(m_folder / "atp02.txt"));
    EXPECT_FALSE(fs::exists(m_folder / "target.txt"));
}

TEST_F(TextExport, AFolderThatTakesNoFileGivesCreateFileFailed) {
    SaveAsText(OneRow(), "/proc", m_ui);  // not even root may create files there
    ASSERT_EQ(m_ui.shown.size(), 1u);
    EXPECT_EQ(m_ui.shown[0], "CreateFile failed\xEF\xBC\x81");
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
            SaveAsText(list, m_folder.string(), m_ui);
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

}  // namespace
}  // namespace velanto
