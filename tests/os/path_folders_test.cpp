#include "os/path_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/scratch_folder.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;

TEST(FolderOf, IsAllBeforeTheLastSeparatorOrTheCurrentFolder) {
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {{"data/2007/x.xls", "data/2007"}, {"data/2007/", "data/2007"}, {"x.xls", "."}, {"/x.xls", "/"}};
    for (const auto& c : cases) {
        EXPECT_EQ(fs::path(FolderOf(c.path)), fs::path(c.folder)) << c.path;
    }
}

TEST(CreateFolderChain, MakesEachMissingFolderUpToAFileInTheWay) {
    testing::ScratchFolder scratch;
    std::ofstream(scratch / "file") << "kept";
    const struct {
        const char* folder;
        const char* madeUpTo;  // the deepest folder there afterwards
    } cases[] = {
        {"data/2007/march", "data/2007/march"},
        {"doubled//separators/", "doubled/separators"},
        {"file/sub", ""},
    };
    for (const auto& c : cases) {
        CreateFolderChain((scratch / c.folder).string());
        EXPECT_TRUE(fs::is_directory(scratch / c.madeUpTo)) << c.folder;
    }
    EXPECT_FALSE(fs::exists(scratch / "file/sub"));
    EXPECT_EQ(testing::ReadFile(scratch / "file"), "kept");
}

}  // namespace
}  // namespace velanto
