#include <gtest/gtest.h>

#include <filesystem>

#include "export/spreadsheet_export.h"
#include "tests/export/fake_export_ui.h"
#include "tests/scratch_folder.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using testing::FakeExportUi;
using testing::ScratchFolder;

TEST(PromptSpreadsheetPath, ChosenDanglingLinkIsAnEntryKeptForNow) {
    ScratchFolder scratch;
    FakeExportUi ui;
    std::string path;
    ui.savePath = (scratch / "dangling.xls").string();
    fs::create_symlink(scratch / "nowhere", *ui.savePath);
    EXPECT_TRUE(EnsurePathExists(*ui.savePath)) << "a link to nothing is an entry all the same";
    EXPECT_TRUE(PromptSpreadsheetPath(path, ui));
    EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace velanto
