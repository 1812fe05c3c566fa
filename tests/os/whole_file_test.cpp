#include "os/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "os/path_folders.h"
#include "tests/scratch_folder.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;

std::size_t EntryCount(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(WriteFileWhole, TheTargetHoldsTheNewBytesAloneAndNoOtherFileStays) {
    testing::ScratchFolder scratch;
    std::ofstream(scratch / "old.bin") << "old contents, longer than the new";
    const std::string bytes = "new\r\n" + std::string(100000, '\0');
    for (const char* name : {"new.bin", "old.bin"}) {
        EXPECT_EQ(WriteFileWhole((scratch / name).string(), bytes), "") << name;
        EXPECT_TRUE(testing::ReadFile(scratch / name) == bytes) << name;
    }
    EXPECT_EQ(EntryCount(scratch.Path()), 2u);
}

// Names are UTF-8, also on Windows, whose narrow file calls would read them in another code page.
TEST(WriteFileWhole, AFileAndFoldersNamedInAnyScriptGetThoseNames) {
    testing::ScratchFolder scratch;
    const fs::path target = scratch.Path() / u8"Ωμέγα" / u8"結果" / u8"μνήμη.csv";
    const std::u8string name = target.u8string();
    CreateFolderChain(FolderOf(std::string(name.begin(), name.end())));
    EXPECT_EQ(WriteFileWhole(std::string(name.begin(), name.end()), "bytes"), "");
    EXPECT_EQ(testing::ReadFile(target), "bytes");
    EXPECT_EQ(EntryCount(target.parent_path()), 1u);
}

TEST(WriteFileWhole, AFailureNamesTheFileAndLeavesTheFolderAsItWas) {
    testing::ScratchFolder scratch;
    fs::create_directory(scratch / "folder.bin");
    const fs::path missing = scratch / "missing" / "a.bin";
    const FailureCause intoNoFolder = WriteFileWhole(missing.string(), "bytes");
    EXPECT_NE(intoNoFolder.find(missing.parent_path().string()), std::string::npos) << intoNoFolder;
    const fs::path folder = scratch / "folder.bin";
    const FailureCause overAFolder = WriteFileWhole(folder.string(), "bytes");
    EXPECT_NE(overAFolder.find(folder.string()), std::string::npos) << overAFolder;
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(EntryCount(scratch.Path()), 1u);
}

}  // namespace
}  // namespace velanto
