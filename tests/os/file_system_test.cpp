#include "os/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/scratch_folder.h"

// What every system's file layer must do alike: the exports rely on nothing more.
namespace velanto {
namespace {

namespace fs = std::filesystem;

using testing::ReadFile;

TEST(FileSystem, ANewFileIsMadeOnlyWhereNoEntryIs) {
    testing::ScratchFolder scratch;
    std::ofstream(scratch / "file") << "kept";
    fs::create_directory(scratch / "folder");
    const struct {
        const char* name;
        EntryKind before;
    } cases[] = {{"fresh", EntryKind::None}, {"file", EntryKind::Other}, {"folder", EntryKind::Folder}};
    for (const auto& c : cases) {
        const std::string path = (scratch / c.name).string();
        ASSERT_EQ(EntryAt(path), c.before) << c.name;
        NewFile file(path);
        EXPECT_EQ(file.IsOpen(), c.before == EntryKind::None) << c.name;
    }
    EXPECT_EQ(ReadFile(scratch / "file"), "kept");

    const std::string bytes = "one\r\n" + std::string(100000, 'x');
    NewFile file((scratch / "written").string());
    EXPECT_EQ(file.Write(bytes.substr(0, 5)), "");
    EXPECT_EQ(file.Write(bytes.substr(5)), "");
    EXPECT_EQ(file.Flush(), "");
    EXPECT_EQ(file.Close(), "");
    EXPECT_TRUE(ReadFile(scratch / "written") == bytes);
    EXPECT_NE(EnterFolder((scratch / "missing").string()), "") << "a failure comes with its cause";
}

TEST(FileSystem, APrivateFolderIsNewEachTimeAndItsFileTakesTheTargetsPlaceInOneStep) {
    testing::ScratchFolder scratch;
    const PrivateFolder first = MakePrivateFolder(scratch.Path().string());
    const PrivateFolder second = MakePrivateFolder(scratch.Path().string());
    ASSERT_NE(first.path, "") << first.cause;
    EXPECT_NE(first.path, second.path);
    EXPECT_EQ(fs::path(first.path).parent_path(), scratch.Path());
    EXPECT_EQ(EntryAt(first.path), EntryKind::Folder);

    const fs::path staged = fs::path(first.path) / "export.xls";
    std::ofstream(staged) << "new";
    std::ofstream(scratch / "target.xls") << "old";
    fs::create_directory(scratch / "folder.xls");
    EXPECT_NE(ReplaceEntry(staged.string(), (scratch / "folder.xls").string()), "");
    EXPECT_EQ(ReplaceEntry(staged.string(), (scratch / "target.xls").string()), "");
    EXPECT_EQ(ReadFile(scratch / "target.xls"), "new");
    EXPECT_EQ(EntryAt(staged.string()), EntryKind::None);

    const PrivateFolder nowhere = MakePrivateFolder((scratch / "missing").string());
    EXPECT_EQ(nowhere.path, "");
    EXPECT_NE(nowhere.cause, "");
}

}  // namespace
}  // namespace velanto
