#include "xlsdriver/file_replace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace velanto {
namespace {

namespace fs = std::filesystem;

class FileReplaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("velanto-replace-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    fs::path m_dir;
};

TEST_F(FileReplaceTest, ReplacesWholeAndLeavesNoTemporaryFile) {
    const fs::path target = m_dir / "book.xls";
    std::ofstream(target) << "old";
    WriteFileWhole(target, ByteBuffer{'n', 'e', 'w'}, Placement::kReplace);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(FileReplaceTest, CreateNewNeverReplacesAnExistingFile) {
    const fs::path target = m_dir / "book.xls";
    WriteFileWhole(target, ByteBuffer{'1'}, Placement::kCreateNew);
    EXPECT_EQ(Read(target), "1");
    try {
        WriteFileWhole(target, ByteBuffer{'2'}, Placement::kCreateNew);
        ADD_FAILURE() << "an existing file was replaced";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::file_exists);
    }
    EXPECT_EQ(Read(target), "1");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(FileReplaceTest, FailureNamesThePathAndLeavesTheTargetAlone) {
    try {
        WriteFileWhole(m_dir / "missing" / "book.xls", ByteBuffer{'1'}, Placement::kReplace);
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const std::system_error& error) {
        EXPECT_NE(std::string(error.what()).find("missing"), std::string::npos) << error.what();
    }
    // A directory in the target's place cannot be replaced by a file.
    fs::create_directory(m_dir / "book.xls");
    EXPECT_THROW(WriteFileWhole(m_dir / "book.xls", ByteBuffer{'1'}, Placement::kReplace), std::system_error);
    EXPECT_TRUE(fs::is_directory(m_dir / "book.xls"));
    EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
}  // namespace velanto
