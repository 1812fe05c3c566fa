#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <string>
#include <vector>

#include "store/kept_record.h"
#include "store/record_store.h"
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

TEST_F(Store, RecordsOffTheCalendarAreKeptAndCounted) {
    MemoryRecordTable rows = Decoded(GenerateDump({3, 2, 2}));
    rows.SetCellText(1, 2, "20:;/13/01");
    const ImportCounts counts = RecordStore(file).Import({"atp01.txt", "1.0", {}}, rows);
    EXPECT_EQ(counts.added, 3u);
    EXPECT_EQ(counts.notCalendar, 1u);
}

// Writes `sql` into a new SQLite file at `path`.
void MakeDatabase(const std::filesystem::path& path, const char* sql) {
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.string().c_str(), &database), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(database, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(database);
}

TEST_F(Store, AFileThatIsNoRecordsDatabaseOrANewerOneIsRefusedAndLeftAsItWas) {
    std::ofstream(folder / "notes.txt") << "atp00.txt is no database\r\n";
    MakeDatabase(folder / "other.sqlite", "CREATE TABLE t (x); INSERT INTO t VALUES (1);");
    MakeDatabase(folder / "newer.sqlite",
                 "PRAGMA application_id = 1447842371; PRAGMA user_version = 2;"
                 "CREATE TABLE records (x);");
    for (const auto& [name, message] :
         {std::pair{"notes.txt", "is not a records database"}, std::pair{"other.sqlite", "is not a records database"},
          std::pair{"newer.sqlite", "was made by a newer velanto records (store version 2"}}) {
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

}  // namespace
}  // namespace velanto
