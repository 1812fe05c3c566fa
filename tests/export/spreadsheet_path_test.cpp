#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "export/spreadsheet_export.h"
#include "tests/export/fake_export_ui.h"
#include "tests/scratch_folder.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::FakeExportUi;
using ::testing::Pair;
using testing::ScratchFolder;

TEST(EnsurePathExists, CreatesEveryMissingFolderButNeverTheFile) {
    ScratchFolder scratch;
    const std::string path = (scratch / "data/2007/march/x.xls").string();
    EXPECT_FALSE(EnsurePathExists(path));
    EXPECT_TRUE(fs::is_directory(scratch / "data/2007/march"));
    EXPECT_FALSE(fs::exists(path));

    std::ofstream(path) << "old";
    EXPECT_TRUE(EnsurePathExists(path));
    EXPECT_TRUE(EnsurePathExists((scratch / "data//2007/march/x.xls").string()));
}

TEST(EnsurePathExists, FolderThatCannotBeMadeLeavesThePathMissing) {
    ScratchFolder scratch;
    std::ofstream(scratch / "file") << "a file, not a folder";
    EXPECT_FALSE(EnsurePathExists((scratch / "file/sub/x.xls").string()));
    EXPECT_TRUE(fs::is_regular_file(scratch / "file"));
    EXPECT_FALSE(EnsurePathExists(""));
    EXPECT_FALSE(EnsurePathExists("x.xls"));
}

TEST(PromptSpreadsheetPath, AsksWithTheTimeNameAndTheTwoFilters) {
    FakeExportUi ui;
    std::string path = "before";
    EXPECT_FALSE(PromptSpreadsheetPath(path, ui));  // cancelled
    EXPECT_TRUE(ui.shown.empty());
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    const SaveFileRequest& request = ui.saveRequests[0];
    EXPECT_EQ(request.title, "Export");
    EXPECT_TRUE(std::regex_match(request.proposedName, std::regex(R"(20\d{2}(0[1-9]|1[0-2])\d{8}\.xls)")))
        << request.proposedName;
    EXPECT_EQ(path, request.proposedName);
    EXPECT_EQ(request.defaultExtension, "xls");
    EXPECT_THAT(request.filters, ElementsAre(Pair("Excel文件(*.xls)", "*.xls"), Pair("所有文件 (*.*)", "*.*")));
}

TEST(PromptSpreadsheetPath, ChosenPathGetsItsFoldersAndKeepsItsOldEntryForNow) {
    ScratchFolder scratch;
    FakeExportUi ui;
    std::string path;

    ui.savePath = (scratch / "new/folder/a.xls").string();
    EXPECT_TRUE(PromptSpreadsheetPath(path, ui));
    EXPECT_EQ(path, *ui.savePath);
    EXPECT_TRUE(fs::is_directory(scratch / "new/folder"));

    ui.savePath = (scratch / "old.xls").string();
    std::ofstream(*ui.savePath) << "confirmed for overwriting";
    EXPECT_TRUE(PromptSpreadsheetPath(path, ui));
    EXPECT_TRUE(fs::exists(*ui.savePath)) << "replaced only by a complete workbook";
    EXPECT_TRUE(ui.shown.empty());
}

TEST(PromptSpreadsheetPath, OldEntryThatCannotBeDeletedEndsTheExportAndIsKept) {
    ScratchFolder scratch;
    FakeExportUi ui;
    ui.savePath = (scratch / "taken.xls").string();
    fs::create_directories(scratch / "taken.xls/inside");  // a folder is no file to delete
    std::string path;
    EXPECT_FALSE(PromptSpreadsheetPath(path, ui));
    EXPECT_THAT(ui.shown, ElementsAre("覆盖文件时出错！"));
    EXPECT_TRUE(fs::is_directory(scratch / "taken.xls/inside"));
}

}  // namespace
}  // namespace velanto
