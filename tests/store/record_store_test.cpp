#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "store/csv_export.h"
#include "store/kept_record.h"
#include "store/record_store.h"
#include "store/sha256.h"
#include "tests/scratch_folder.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;

MemoryRecordTable Decoded(const DetectorDump& image) {
    MemoryRecordTable rows;
    DecodeDump(image, rows);
    return rows;
}

DownloadOrigin FromPort(const DetectorDump& image) { return {"COM1 (/dev/ttyUSB0)", "1.0", image}; }

class Store : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::filesystem::path file = folder / "records.sqlite";
};

TEST_F(Store, ARecordIsKeptOnceHoweverOftenItComes) {
    const DetectorDump first = GenerateDump({300, 77, 5});
    const DetectorDump refilled = GenerateDump({500, 77, 5});  // the same 300, and 200 more
    RecordStore store(file);
    const ImportCounts counts = store.Import(FromPort(first), Decoded(first));
    EXPECT_EQ(counts.added, 300u);
    EXPECT_EQ(counts.alreadyKept, 0u);

    const ImportCounts again = store.Import(FromPort(first), Decoded(first));
    EXPECT_EQ(again.added, 0u);
    EXPECT_EQ(again.alreadyKept, 300u);
    EXPECT_EQ(store.DownloadCount(), 1u) << "a download that brings nothing new adds nothing";

    const ImportCounts more = RecordStore(file).Import(FromPort(refilled), Decoded(refilled));
    EXPECT_EQ(more.added, 200u);
    EXPECT_EQ(more.alreadyKept, 300u);
    EXPECT_EQ(RecordStore(file).RecordCount(), 500u);
    EXPECT_EQ(RecordStore(file).DownloadCount(), 2u);
}

TEST_F(Store, ARowThatIsNoResultAddsNothingOfItsDownload) {
    MemoryRecordTable rows = Decoded(GenerateDump({20, 1, 1}));
    rows.SetCellText(12, 6, "12x");
    RecordStore store(file);
    EXPECT_THROW(
        {
            try {
                store.Import({"atp00.txt", "1.0", {}}, rows);
            } catch (const StoreError& error) {
                EXPECT_STREQ(error.what(), "row 13: RLU \"12x\" is not a number");
                throw;
            }
        },
        StoreError);
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_EQ(store.DownloadCount(), 0u);
}

struct CalendarCase {
    const char* date;
    const char* time;
    const char* kept;
    bool valid;
};

TEST(KeptRecord, DatesBecomeIsoAndWhatIsNoCalendarValueIsKeptAsItsText) {
    for (const CalendarCase& c : {CalendarCase{"2024/02/29", "23:59", "2024-02-29", true},
                                  CalendarCase{"2023/02/29", "08:00", "2023/02/29", false},
                                  CalendarCase{"20:;/13/01", "08:00", "20:;/13/01", false},
                                  CalendarCase{"2024/12/31", "24:00", "2024-12-31", false},
                                  CalendarCase{"2024/00/10", "07:60", "2024/00/10", false}}) {
        MemoryRecordTable rows = Decoded(GenerateDump({1, 9, 3}));
        rows.SetCellText(0, 2, c.date);
        rows.SetCellText(0, 3, c.time);
        const KeptRecord record = KeptRecordOf(rows, 0);
        EXPECT_EQ(record.date, c.kept) << c.date;
        EXPECT_EQ(record.time, c.time) << c.date;
        EXPECT_EQ(record.calendarValid, c.valid) << c.date << " " << c.time;
        EXPECT_EQ(record.detector, 9);
    }
}

TEST_F(Store, RecordsOffTheCalendarAreKeptAndCountedWhereverTheyStand) {
    MemoryRecordTable rows = Decoded(GenerateDump({250, 2, 2}));
    for (const std::size_t row : {0, 98, 99, 100, 249}) {  // around the statements of 100 records
        rows.SetCellText(row, 2, "20:;/13/01");
    }
    RecordStore store(file);
    const ImportCounts counts = store.Import({"atp01.txt", "1.0", {}}, rows);
    EXPECT_EQ(counts.added, 250u);
    EXPECT_EQ(counts.notCalendar, 5u);
    const ImportCounts again = store.Import({"atp01.txt", "1.0", {}}, rows);
    EXPECT_EQ(again.alreadyKept, 250u);
    EXPECT_EQ(again.notCalendar, 0u);
    EXPECT_EQ(store.RecordCount(), 250u);
}

// Runs `sql` on the SQLite file at `path` (made when absent), behind any store's back.
void RunSql(const std::filesystem::path& path, const char* sql) {
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.string().c_str(), &database), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(database, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(database);
}

TEST_F(Store, AFileThatIsNoRecordsDatabaseOrANewerOneIsRefusedAndLeftAsItWas) {
    std::ofstream(folder / "notes.txt") << "atp00.txt is no database\r\n";
    RunSql(folder / "other.sqlite", "CREATE TABLE t (x); INSERT INTO t VALUES (1);");
    RunSql(folder / "newer.sqlite",
           "PRAGMA application_id = 1447842371; PRAGMA user_version = 99;"
           "CREATE TABLE records (x);");
    for (const auto& [name, message] :
         {std::pair{"notes.txt", "is not a records database"}, std::pair{"other.sqlite", "is not a records database"},
          std::pair{"newer.sqlite", "was made by a newer velanto records (store version 99"}}) {
        const std::string before = ReadFile(folder / name);
        try {
            RecordStore store(folder / name);
            ADD_FAILURE() << name << " was opened";
        } catch (const StoreError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
        EXPECT_EQ(ReadFile(folder / name), before) << name;
    }
}

TEST_F(Store, OpenForReadingOnlyRefusesImports) {
    const DetectorDump image = GenerateDump({10, 3, 3});
    RecordStore(file).Import(FromPort(image), Decoded(image));
    RecordStore reader(file, RecordStore::Access::ReadOnly);
    EXPECT_EQ(reader.RecordCount(), 10u);
    EXPECT_THROW(reader.Import(FromPort(image), Decoded(image)), StoreError);
}

TEST_F(Store, VerifyFindsEveryRecordThatNoLongerMatchesItsImage) {
    const DetectorDump image = GenerateDump({40, 12, 4});
    RecordStore(file).Import(FromPort(image), Decoded(image));
    EXPECT_TRUE(RecordStore(file).Verify().empty());
    RunSql(file, "UPDATE records SET upper = upper + 1 WHERE test = 7; DELETE FROM records WHERE test = 9;");
    EXPECT_EQ(RecordStore(file).Verify(),
              (std::vector<std::string>{"download 1, test 7: kept with other values", "download 1, test 9: not kept"}));
}

// Counts of the decoded rows that a filter should find, made without the store.
std::size_t CountRows(const MemoryRecordTable& rows, const std::function<bool(std::size_t)>& wanted) {
    std::size_t count = 0;
    for (std::size_t row = 0; row < rows.RowCount(); ++row) {
        count += wanted(row) ? 1 : 0;
    }
    return count;
}

TEST_F(Store, AFilterAndItsCsvCoverExactlyTheRecordsAsked) {
    const DetectorDump image = GenerateDump({2000, 5, 8});
    const MemoryRecordTable rows = Decoded(image);
    RecordStore store(file);
    store.Import(FromPort(image), rows);
    store.NameProgram(std::stoll(rows.CellText(0, 4)), "slicer blade, \"zone\" 1");
    const std::string program = rows.CellText(0, 4), from = rows.CellText(500, 2), to = rows.CellText(1500, 2);

    RecordFilter filter;
    filter.program = std::stoll(program);
    filter.verdict = "Failed";
    filter.from = from.substr(0, 4) + "-" + from.substr(5, 2) + "-" + from.substr(8, 2);
    filter.to = to.substr(0, 4) + "-" + to.substr(5, 2) + "-" + to.substr(8, 2);
    const std::size_t expected = CountRows(rows, [&](std::size_t row) {
        return rows.CellText(row, 4) == program && rows.CellText(row, 5) == "Failed" && rows.CellText(row, 2) >= from &&
               rows.CellText(row, 2) <= to;
    });
    ASSERT_GT(expected, 0u);
    const std::string csv = CsvOf(store, filter);
    const std::string header =
        "\xEF\xBB\xBF"
        "detector,test,date,time,program,name,result,rlu,lower,upper\r\n";
    EXPECT_EQ(csv.substr(0, header.size()), header);
    std::size_t lines = 0;
    for (std::size_t at = header.size(); at < csv.size(); at = csv.find("\r\n", at) + 2) {
        ++lines;
        const std::string line = csv.substr(at, csv.find("\r\n", at) - at);
        EXPECT_NE(line.find("," + program + ",\"slicer blade, \"\"zone\"\" 1\",Failed,"), std::string::npos) << line;
    }
    EXPECT_EQ(lines, expected);
}

TEST_F(Store, TheListsSelectionHoldsTheFilteredRecordsInOrderWithTheirTally) {
    const DetectorDump first = GenerateDump({1500, 5, 8}), second = GenerateDump({700, 6, 9});
    RecordStore store(file);
    store.Import(FromPort(first), Decoded(first));
    store.Import(FromPort(second), Decoded(second));
    const std::int64_t program = store.Programs().front().program;
    std::vector<RecordFilter> filters(4);
    filters[1].program = program;
    filters[2].detector = 6;
    filters[3].verdict = "Caution";
    filters[3].from = "2000-01-01";
    for (const RecordFilter& filter : filters) {
        std::vector<ListedRecord> listed;
        std::size_t caution = 0, failed = 0;
        store.ForEachRecord(filter, [&](const ListedRecord& record) {
            listed.push_back(record);
            caution += record.record.verdict == "Caution" ? 1 : 0;
            failed += record.record.verdict == "Failed" ? 1 : 0;
        });
        const RecordSelection selection = store.Select(filter);
        RecordSelection inBatches;
        RecordCursor cursor = store.OpenSelection(filter);
        while (cursor.Read(7, inBatches)) {
        }
        EXPECT_FALSE(cursor.Read(7, inBatches)) << "a cursor read to its end stays there";
        EXPECT_EQ(inBatches.keys, selection.keys);
        EXPECT_EQ(selection.caution, caution);
        EXPECT_EQ(selection.failed, failed);
        const std::vector<ListedRecord> fetched = store.RecordsOf(selection.keys);
        ASSERT_EQ(fetched.size(), listed.size());
        for (std::size_t at = 0; at < listed.size(); ++at) {
            ASSERT_EQ(fetched[at].record, listed[at].record) << "row " << at;
            ASSERT_EQ(fetched[at].key, selection.keys[at]) << "row " << at;
            ASSERT_EQ(listed[at].key, selection.keys[at]) << "row " << at;
        }
    }
    EXPECT_EQ(store.Select(filters[2]).keys.size(), 700u);
    EXPECT_EQ(store.Detectors(), (std::vector<std::int64_t>{5, 6}));
    std::size_t tallied = 0;
    for (const ProgramTally& tally : store.Programs()) {
        tallied += tally.records;
    }
    EXPECT_EQ(tallied, 2200u);
}

TEST_F(Store, TheDownloadsCoveringAFilterAreThoseThatBroughtItsRecords) {
    const DetectorDump first = GenerateDump({300, 5, 8}), second = GenerateDump({200, 6, 9});
    RecordStore store(file);
    store.Import(FromPort(first), Decoded(first));
    store.Import({"atp06.txt", "1.0", {}}, Decoded(second));
    RecordFilter onlyFirst, onlySecond, none;
    onlyFirst.detector = 5;
    onlySecond.detector = 6;
    none.from = "2999-01-01";
    const std::vector<CoveredDownload> both = store.DownloadsCovering({});
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].source, "COM1 (/dev/ttyUSB0)");
    EXPECT_EQ(both[0].imageSha256, Sha256Hex(first));
    EXPECT_EQ(both[0].importedAt.size(), 20u) << both[0].importedAt;
    EXPECT_EQ(both[1].imageSha256, std::nullopt) << "a file import keeps no image";
    ASSERT_EQ(store.DownloadsCovering(onlyFirst).size(), 1u);
    EXPECT_EQ(store.DownloadsCovering(onlyFirst)[0].id, both[0].id);
    EXPECT_EQ(store.DownloadsCovering(onlySecond)[0].source, "atp06.txt");
    EXPECT_TRUE(store.DownloadsCovering(none).empty());
}

TEST_F(Store, TheLabsTitleIsKeptForEveryoneAndRefusedByAReadOnlyStore) {
    EXPECT_EQ(RecordStore(file).LabTitle(), "");
    RecordStore(file).SetLabTitle("Dairy <B> & Co");
    RecordStore(file).SetLabTitle("Dairy \"Nord\" lab");
    EXPECT_EQ(RecordStore(file).LabTitle(), "Dairy \"Nord\" lab");
    RecordStore reader(file, RecordStore::Access::ReadOnly);
    EXPECT_EQ(reader.LabTitle(), "Dairy \"Nord\" lab");
    try {
        reader.SetLabTitle("other");
        ADD_FAILURE() << "a read-only store took a title";
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what()).find("open for reading only"), std::string::npos) << error.what();
    }
}

// The tables of a store as version 2 made it, with one record and a program's name.
constexpr const char* kVersion2Store = R"(
PRAGMA application_id = 1447842371; PRAGMA user_version = 2;
CREATE TABLE downloads (id INTEGER PRIMARY KEY, imported_at TEXT NOT NULL, source TEXT NOT NULL,
    program_version TEXT NOT NULL, image BLOB, image_sha256 TEXT);
CREATE TABLE records (id INTEGER PRIMARY KEY, detector INTEGER NOT NULL, test INTEGER NOT NULL, date TEXT NOT NULL,
    time TEXT NOT NULL, program INTEGER NOT NULL, rlu INTEGER NOT NULL, lower INTEGER NOT NULL,
    upper INTEGER NOT NULL, verdict TEXT NOT NULL CHECK (verdict IN ('Pass', 'Caution', 'Failed')),
    calendar_valid INTEGER NOT NULL, download_id INTEGER NOT NULL REFERENCES downloads (id),
    UNIQUE (date, time, detector, test, program, rlu));
CREATE TABLE program_names (detector INTEGER NOT NULL, program INTEGER NOT NULL, name TEXT NOT NULL,
    PRIMARY KEY (detector, program));
INSERT INTO downloads VALUES (1, '2026-01-02T03:04:05Z', 'atp00.txt', '1.0', NULL, NULL);
INSERT INTO records VALUES (7, 1, 1, '2026-01-02', '08:00', 3, 120, 0, 150, 'Pass', 1, 1);
INSERT INTO program_names VALUES (-1, 3, 'slicer');
)";

TEST_F(Store, AStoreOfVersion2GainsItsSettingsAndKeepsEverything) {
    RunSql(file, kVersion2Store);
    EXPECT_THROW(RecordStore(file, RecordStore::Access::ReadOnly), StoreError) << "it cannot take the update";
    RecordStore store(file);
    EXPECT_EQ(store.LabTitle(), "");
    store.SetLabTitle("Dairy lab");
    const std::int64_t key = 7;
    const std::vector<ListedRecord> kept = store.RecordsOf(std::span(&key, 1));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].record.rlu, 120);
    EXPECT_EQ(kept[0].programName, "slicer");
    EXPECT_EQ(kept[0].key, 7);
    RecordStore again(file, RecordStore::Access::ReadOnly);
    EXPECT_EQ(again.LabTitle(), "Dairy lab");
}

}  // namespace
}  // namespace velanto
