#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/dump_file.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;

class DumpFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("velanto-dump-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path File(const char* name) const { return m_folder / name; }
    void WriteBytes(const fs::path& path, std::size_t count) const {
        std::ofstream(path, std::ios::binary) << std::string(count, 'x');
    }

    fs::path m_folder;
};

TEST_F(DumpFile, SavedImageLoadsBackUnchangedAndLeavesNoTemporary) {
    const DetectorDump image = GenerateDump({});
    SaveDumpFile(File("a.bin"), image);
    EXPECT_EQ(LoadDumpFile(File("a.bin")), image);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);
}

TEST_F(DumpFile, FilesOfAnyOtherSizeAreRefusedWithTheirSize) {
    WriteBytes(File("short.bin"), 16447);
    WriteBytes(File("long.bin"), 16449);
    WriteBytes(File("empty.bin"), 0);
    EXPECT_THROW(LoadDumpFile(File("long.bin")), DumpSizeError);
    EXPECT_THROW(LoadDumpFile(File("empty.bin")), DumpSizeError);
    try {
        LoadDumpFile(File("short.bin"));
        FAIL() << "a short file was accepted";
    } catch (const DumpSizeError& error) {
        EXPECT_NE(std::string(error.what()).find("is 16447 bytes long"), std::string::npos) << error.what();
    }
}

TEST_F(DumpFile, MissingFileAndUnwritableFolderAreReportedNotSizeErrors) {
    EXPECT_THROW(
        {
            try {
                LoadDumpFile(File("absent.bin"));
            } catch (const DumpSizeError&) {
                FAIL() << "a missing file was reported as a size problem";
            }
        },
        std::runtime_error);
    EXPECT_THROW(SaveDumpFile(m_folder / "no-such-folder" / "a.bin", DetectorDump{}), std::runtime_error);
}

}  // namespace
}  // namespace velanto
