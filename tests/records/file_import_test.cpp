#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
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
    const std::string foreign = (folder / "foreign.bin").string(), html = (folder / "report.html").string();
    for (const CommandRun& run : {
             CommandRun{{"--database", db, "import", image, foreign}, 1, ""},
             CommandRun{{"--database", db, "import", image}, 0, ": 0 new, 20 already kept"},
             CommandRun{{"--database", db, "verify"}, 0, "20 records of 1 downloads: all hold"},
             CommandRun{
                 {"--database", db, "name", "x", "zone 1"}, 2, "velanto-records: PROGRAM \"x\" is not a whole number"},
             CommandRun{
                 {"--database", db, "export", "--from", "2024-1-1"}, 2, "velanto-records: --from \"2024-1-1\" is no"},
             CommandRun{{"--database", db, "frobnicate"}, 2, "velanto-records: no command frobnicate"},
             CommandRun{{"--database", db, "title", "Dairy <Nord>"}, 0, ""},
             CommandRun{{"--database", db, "title"}, 0, "Dairy <Nord>\n"},
             CommandRun{{"--database", db, "report", "--from", "2000-01-01", "--to", "2099-12-31", "-o", html},
                        0,
                        "report.html: 20 results of "},
             CommandRun{{"--database", db, "report", "--from", "2000-01-01", "-o", html},
                        2,
                        "velanto-records: report needs --from DATE, --to DATE and -o FILE"},
             CommandRun{
                 {"--database", db, "report", "--from", "2000-01-01", "--to", "2099-12-31", "-o", foreign + "/r"},
                 1,
                 "foreign.bin"},
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

// Runs `sql` on the SQLite file `file`, behind any store's back: the first value it gives, as text.
std::string RunSql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* database = nullptr;
    sqlite3_open(file.string().c_str(), &database);
    std::string first;
    const auto take = [](void* first, int, char** values, char**) {
        auto& text = *static_cast<std::string*>(first);
        text = text.empty() && values[0] ? values[0] : text;
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(database, sql.c_str(), take, &first, nullptr), SQLITE_OK) << sqlite3_errmsg(database);
    sqlite3_close(database);
    return first;
}

// The tables of a store as version 1 made it.
constexpr const char* kVersion1Tables = R"(
PRAGMA application_id = 1447842371; PRAGMA user_version = 1; PRAGMA journal_mode = WAL;
CREATE TABLE downloads (id INTEGER PRIMARY KEY, imported_at TEXT NOT NULL, source TEXT NOT NULL,
    program_version TEXT NOT NULL, image BLOB, image_sha256 TEXT);
CREATE TABLE records (id INTEGER PRIMARY KEY, detector INTEGER NOT NULL, test INTEGER NOT NULL, date TEXT NOT NULL,
    time TEXT NOT NULL, program INTEGER NOT NULL, rlu INTEGER NOT NULL, lower INTEGER NOT NULL,
    upper INTEGER NOT NULL, verdict TEXT NOT NULL CHECK (verdict IN ('Pass', 'Caution', 'Failed')),
    calendar_valid INTEGER NOT NULL, download_id INTEGER NOT NULL REFERENCES downloads (id),
    UNIQUE (detector, test, date, time, program, rlu));
CREATE INDEX records_by_program ON records (program, date, time);
CREATE INDEX records_by_date ON records (date, time);
CREATE TABLE program_names (detector INTEGER NOT NULL, program INTEGER NOT NULL, name TEXT NOT NULL,
    PRIMARY KEY (detector, program));
)";

TEST_F(Import, AStoreOfVersion1IsBroughtUpToDateByExportKeepingEveryRecordAndItsId) {
    SaveDumpFile(folder / "memory.img", GenerateDump({300, 31, 6}));
    {
        RecordStore made(folder / "made.sqlite");
        ImportFile(made, folder / "memory.img", "test");
    }
    const std::filesystem::path db = folder / "records.sqlite";
    RunSql(db, kVersion1Tables + ("ATTACH '" + (folder / "made.sqlite").string() + "' AS made;") +
                   "INSERT INTO downloads SELECT * FROM made.downloads;"
                   "INSERT INTO records SELECT id + 100, detector, test, date, time, program, rlu, lower, upper, "
                   "verdict, calendar_valid, download_id FROM made.records;");
    std::ostringstream out, err;
    const std::string csv = (folder / "all.csv").string();
    ASSERT_EQ(RunCommandLine(std::vector<std::string>{"--database", db.string(), "export", "--csv", csv}, out, err), 0)
        << err.str();
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(std::ifstream(csv).rdbuf()), {}, '\n'), 301);

    RecordStore store(db);
    EXPECT_EQ(ImportFile(store, folder / "memory.img", "test").alreadyKept, 300u) << "the identity holds";
    EXPECT_TRUE(store.Verify().empty());
    EXPECT_EQ(RunSql(db, "SELECT min(id) || '-' || max(id) FROM records"), "101-400");
    EXPECT_EQ(RunSql(db, "PRAGMA user_version"), std::to_string(RecordStore::kSchemaVersion));
}

}  // namespace
}  // namespace velanto
