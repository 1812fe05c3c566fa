#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "export/text_export.h"
#include "records/command_line.h"
#include "records/file_import.h"
#include "tests/scratch_folder.h"
#include "tools/dump_file.h"
#include "tools/dump_generator.h"
#include "xlsdriver/xls_encoder.h"

namespace velanto {
namespace {

class Import : public ::testing::Test {
protected:
    // The one image as each kind of file velanto makes of it.
    void WriteEveryKind(const DetectorDump& image) {
        SaveDumpFile(folder / "memory.img", image);
        MemoryRecordTable rows;
        DecodeDump(image, rows);
        std::tm saved{};  // a real day: Windows' strftime writes nothing for day 0
        saved.tm_year = 124;
        saved.tm_mday = 29;
        std::string text = TextTimeLine(saved) + kTextHeadingLine + "\r\n";
        Workbook workbook(true);
        workbook.CreateSheet("velanto", {kResultHeadings.begin(), kResultHeadings.end()});
        for (std::size_t row = 0; row < rows.RowCount(); ++row) {
            text += TextRowLine(rows, row, kResultColumnCount);
            std::vector<std::string> cells;
            for (std::size_t column = 0; column < kResultColumnCount; ++column) {
                cells.push_back(rows.CellText(row, column));
            }
            workbook.Sheet("velanto").AppendRow(cells);
        }
        std::ofstream(folder / "atp00.txt", std::ios::binary) << text;
        const ByteBuffer xls = EncodeXlsFile(workbook);
        std::ofstream(folder / "results.xls", std::ios::binary)
            .write(reinterpret_cast<const char*>(xls.data()), static_cast<std::streamsize>(xls.size()));
    }

    testing::ScratchFolder folder;
};

TEST_F(Import, TheSameResultsAsImageTextOrWorkbookAreKeptOnce) {
    WriteEveryKind(GenerateDump({700, 31, 6}));
    RecordStore store(folder / "records.sqlite");
    std::vector<std::size_t> added;
    for (const char* name : {"atp00.txt", "memory.img", "results.xls", "atp00.txt"}) {
        const ImportCounts counts = ImportFile(store, folder / name, "test");
        added.push_back(counts.added);
        EXPECT_EQ(counts.added + counts.alreadyKept, 700u) << name;
    }
    EXPECT_EQ(added, (std::vector<std::size_t>{700, 0, 0, 0}));
    EXPECT_TRUE(store.Verify().empty());
}

struct CommandRun {
    std::vector<std::string> arguments;
    int status;
    const char* printed;  // the start of what it prints, to standard output or to standard error
};

TEST_F(Import, TheCommandLineSaysWhatItDidAndEndsWithItsStatus) {
    WriteEveryKind(GenerateDump({20, 31, 6}));
    std::ofstream(folder / "foreign.bin") << "not a detector's";
    const std::string db = (folder / "records.sqlite").string(), image = (folder / "memory.img").string();
    const std::string foreign = (folder / "foreign.bin").string();
    for (const CommandRun& run : {
             CommandRun{{"--database", db, "import", image, foreign}, 1, ""},
             CommandRun{{"--database", db, "import", image}, 0, ": 0 new, 20 already kept"},
             CommandRun{{"--database", db, "verify"}, 0, "20 records of 1 downloads: all hold"},
             CommandRun{
                 {"--database", db, "name", "x", "zone 1"}, 2, "velanto-records: PROGRAM \"x\" is not a whole number"},
             CommandRun{
                 {"--database", db, "export", "--from", "2024-1-1"}, 2, "velanto-records: --from \"2024-1-1\" is no"},
             CommandRun{{"--database", db, "frobnicate"}, 2, "velanto-records: no command frobnicate"},
             CommandRun{{"--database", foreign, "verify"}, 1, "velanto-records: "},
             CommandRun{{"--database", db + ".absent", "verify"}, 1, ".absent: there is no database here"},
         }) {
        std::ostringstream out, err;
        EXPECT_EQ(RunCommandLine(run.arguments, out, err), run.status) << run.arguments[2];
        const std::string printed = out.str() + err.str();
        EXPECT_NE(printed.find(run.printed), std::string::npos) << printed;
    }
    std::ostringstream out, err;
    RunCommandLine(std::vector<std::string>{"--database", db, "import", image, foreign}, out, err);
    EXPECT_EQ(out.str(), image + ": 0 new, 20 already kept\n");
    EXPECT_EQ(err.str(), foreign +
                             ": it is neither a detector image (16448 bytes), a text export nor a workbook of "
                             "velanto's\n");
    EXPECT_EQ(RunCommandLine(std::vector<std::string>{"--database", db}, out, err), std::nullopt);
}

// The command line's names are UTF-8; on Windows the store and the files must still be found by them.
TEST_F(Import, AStoreAndFilesNamedInAnyScriptAreFoundByTheirUtf8Names) {
    const std::filesystem::path greek = folder.Path() / u8"Αρχείο";
    std::filesystem::create_directory(greek);
    WriteEveryKind(GenerateDump({5, 31, 6}));
    std::filesystem::rename(folder / "results.xls", greek / u8"μνήμη.xls");
    const std::u8string database = (greek / u8"νέο" / "records.sqlite").u8string();
    const std::u8string workbook = (greek / u8"μνήμη.xls").u8string();
    std::ostringstream out, err;
    const std::vector<std::string> arguments = {"--database", std::string(database.begin(), database.end()), "import",
                                                std::string(workbook.begin(), workbook.end())};
    EXPECT_EQ(RunCommandLine(arguments, out, err), 0) << err.str();
    EXPECT_EQ(RecordStore(greek / u8"νέο" / "records.sqlite").RecordCount(), 5u);
}

}  // namespace
}  // namespace velanto
