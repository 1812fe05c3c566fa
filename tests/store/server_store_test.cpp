#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "store/csv_export.h"
#include "store/odbc_connection.h"
#include "store/record_store.h"
#include "tests/scratch_folder.h"
#include "tools/dump_generator.h"

// The store on a database server, against the server that tests/store/server_store_test.sh starts: it puts
// the store's address, password and all, in VELANTO_TEST_SERVER. Without it these tests are skipped.
namespace velanto {
namespace {

MemoryRecordTable DecodedRows(const DetectorDump& image) {
    MemoryRecordTable rows;
    DecodeDump(image, rows);
    return rows;
}

class ServerStore : public ::testing::Test {
protected:
    void SetUp() override {
        const char* address = std::getenv("VELANTO_TEST_SERVER");
        if (address == nullptr) {
            GTEST_SKIP() << "no server: VELANTO_TEST_SERVER is not set";
        }
        server = StoreAddressOf(address);
        ASSERT_TRUE(server.OnServer());
        Sql("DROP SCHEMA public CASCADE; CREATE SCHEMA public");  // each test on an empty database
    }
    // Runs `sql` on the server's database behind the store's back.
    void Sql(const std::string& sql) { OdbcConnection(*server.connection, "the test's server").Execute(sql); }
    std::int64_t SqlNumber(const std::string& sql) {
        return OdbcConnection(*server.connection, "the test's server").QueryNumber(sql);
    }

    StoreAddress server;
    testing::ScratchFolder folder;
};

// The same imports and names, into a file and onto the server.
void Fill(RecordStore& store) {
    const DetectorDump first = GenerateDump({1500, 5, 8}), second = GenerateDump({700, 6, 9});
    MemoryRecordTable offCalendar = DecodedRows(GenerateDump({250, 2, 2}));
    for (const std::size_t row : {0, 98, 99, 100, 249}) {
        offCalendar.SetCellText(row, 2, "20:;/13/01");
    }
    EXPECT_EQ(store.Import({"COM1 (/dev/ttyUSB0)", "1.0", first}, DecodedRows(first)).added, 1500u);
    EXPECT_EQ(store.Import({"COM2", "1.0", second}, DecodedRows(second)).added, 700u);
    const ImportCounts counts = store.Import({"atp01.txt", "1.0", {}}, offCalendar);
    EXPECT_EQ(counts.added, 250u);
    EXPECT_EQ(counts.notCalendar, 5u);
    EXPECT_EQ(store.Import({"COM1", "1.0", first}, DecodedRows(first)).alreadyKept, 1500u);
    const std::int64_t program = store.Programs().front().program;
    store.NameProgram(program, "Zone ä 3, \"Kühlraum\"");
    store.NameProgram(program + 1, "only on 6", 6);
    store.NameProgram(program + 1, "Λ renamed on 6", 6);
    store.NameProgram(store.Programs().back().program,
                      "冷库 𝄞 3");  // a character beyond UTF-16's first plane, in two units
    store.SetLabTitle("Labor Nord — ü");
}

TEST_F(ServerStore, KeepsAndListsWhatAFileKeepsForTheSameImports) {
    RecordStore file(folder / "records.sqlite");
    RecordStore onServer(server);
    Fill(file);
    Fill(onServer);

    EXPECT_EQ(onServer.RecordCount(), 2450u);
    EXPECT_EQ(onServer.DownloadCount(), 3u) << "a download that brings nothing new adds nothing";
    EXPECT_EQ(CsvOf(onServer, {}), CsvOf(file, {}));
    EXPECT_EQ(onServer.LabTitle(), "Labor Nord — ü");
    EXPECT_EQ(onServer.Detectors(), file.Detectors());
    for (const std::optional<std::int64_t> detector : {std::optional<std::int64_t>{}, std::optional<std::int64_t>{6}}) {
        const std::vector<ProgramTally> expected = file.Programs(detector), got = onServer.Programs(detector);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].program, expected[k].program);
            EXPECT_EQ(got[k].name, expected[k].name) << "program " << got[k].program;
            EXPECT_EQ(got[k].records, expected[k].records);
        }
    }
    std::vector<RecordFilter> filters(4);
    filters[0].program = file.Programs().front().program;
    filters[1].detector = 6;
    filters[2].verdict = "Caution";
    filters[2].from = "2000-01-01";
    filters[2].to = "2030-12-31";
    filters[3].from = "2999-01-01";
    for (const RecordFilter& filter : filters) {
        EXPECT_EQ(CsvOf(onServer, filter), CsvOf(file, filter));
        const RecordSelection expected = file.Select(filter), got = onServer.Select(filter);
        EXPECT_EQ(got.keys.size(), expected.keys.size());
        EXPECT_EQ(got.caution, expected.caution);
        EXPECT_EQ(got.notCalendar, expected.notCalendar);
        RecordSelection inBatches;
        RecordCursor cursor = onServer.OpenSelection(filter);
        while (cursor.Read(7, inBatches)) {
        }
        EXPECT_EQ(inBatches.keys, got.keys);
        const std::vector<ListedRecord> fetched = onServer.RecordsOf(got.keys), listed = file.RecordsOf(expected.keys);
        ASSERT_EQ(fetched.size(), listed.size());
        for (std::size_t at = 0; at < fetched.size(); ++at) {
            ASSERT_EQ(fetched[at].record, listed[at].record) << "row " << at;
            ASSERT_EQ(fetched[at].programName, listed[at].programName) << "row " << at;
        }
        const std::vector<CoveredDownload> downloads = onServer.DownloadsCovering(filter);
        const std::vector<CoveredDownload> fileDownloads = file.DownloadsCovering(filter);
        ASSERT_EQ(downloads.size(), fileDownloads.size());
        for (std::size_t k = 0; k < downloads.size(); ++k) {
            EXPECT_EQ(downloads[k].source, fileDownloads[k].source);
            EXPECT_EQ(downloads[k].imageSha256, fileDownloads[k].imageSha256);
            EXPECT_EQ(downloads[k].importedAt.size(), 20u) << downloads[k].importedAt;
        }
    }
    EXPECT_TRUE(onServer.Verify().empty());
}

TEST_F(ServerStore, ARowThatIsNoResultAddsNothingOfItsDownload) {
    MemoryRecordTable rows = DecodedRows(GenerateDump({250, 1, 1}));
    rows.SetCellText(212, 6, "12x");
    RecordStore store(server);
    EXPECT_THROW(store.Import({"atp00.txt", "1.0", {}}, rows), StoreError);
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_EQ(store.DownloadCount(), 0u);
    rows.SetCellText(212, 6, "12");
    EXPECT_EQ(store.Import({"atp00.txt", "1.0", {}}, rows).added, 250u) << "the store is usable after the refusal";
}

TEST_F(ServerStore, VerifyFindsEveryRecordThatNoLongerMatchesItsImage) {
    const DetectorDump image = GenerateDump({250, 12, 4});  // checked a hundred records a statement
    RecordStore(server).Import({"COM1", "1.0", image}, DecodedRows(image));
    EXPECT_TRUE(RecordStore(server).Verify().empty());
    Sql("UPDATE records SET upper = upper + 1 WHERE test = 7; DELETE FROM records WHERE test IN (9, 230)");
    const std::string download = "download " + std::to_string(SqlNumber("SELECT min(id) FROM downloads"));
    EXPECT_EQ(RecordStore(server).Verify(),
              (std::vector<std::string>{download + ", test 7: kept with other values", download + ", test 9: not kept",
                                        download + ", test 230: not kept"}));
}

TEST_F(ServerStore, ADatabaseOfOthersOrOfANewerStoreIsRefusedAndLeftAsItWas) {
    Sql("CREATE TABLE inventory (item TEXT); INSERT INTO inventory VALUES ('swabs')");
    EXPECT_THROW(RecordStore{server}, StoreError);
    EXPECT_EQ(SqlNumber("SELECT count(*) FROM inventory"), 1);
    EXPECT_EQ(SqlNumber("SELECT count(*) FROM pg_catalog.pg_tables WHERE schemaname = current_schema()"), 1);

    Sql("DROP TABLE inventory");
    RecordStore{server};
    Sql("UPDATE store_identity SET version = 99");
    try {
        RecordStore store(server);
        ADD_FAILURE() << "a newer store was opened";
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what()).find("newer velanto records (store version 99"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(SqlNumber("SELECT version FROM store_identity"), 99);
}

TEST_F(ServerStore, ALogInWithoutTheRightPasswordAsksForOneAndNeverShowsIt) {
    for (const StoreAddress& address :
         {StoreAddressOf(ShownAddressOf(server)), WithPassword(server, "wrong;Секрет}")}) {
        try {
            RecordStore store(address);
            ADD_FAILURE() << "the server let " << ShownAddressOf(address) << " in";
        } catch (const StoreError& error) {
            EXPECT_EQ(error.Why(), StoreError::Cause::PasswordNeeded) << error.what();
            EXPECT_EQ(std::string(error.what()).find("Секрет"), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find(ShownAddressOf(server)), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace velanto
