#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "export/export_error.h"
#include "export/odbc_database.h"
#include "export/spreadsheet_export.h"
#include "tests/export/fake_driver_manager.h"
#include "tests/export/fake_export_ui.h"
#include "tests/scratch_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velanto {
namespace {

namespace fs = std::filesystem;

using ::testing::ElementsAre;
using testing::FakeDriverManager;
using testing::FakeExportUi;
using ::testing::IsEmpty;

class OdbcDatabaseTest : public ::testing::Test {
protected:
    FakeDriverManager fake;
    OdbcRuntime odbc{FakeDriverManager::Installer(), FakeDriverManager::Calls()};

    std::string Failure(const std::function<void()>& action) {
        try {
            action();
        } catch (const DatabaseError& error) {
            return error.what();
        }
        return "no DatabaseError";
    }
};

TEST_F(OdbcDatabaseTest, ConnectsWithoutPromptingAndReleasesEverything) {
    {
        OdbcDatabase database(odbc, "DRIVER={x};DBQ=/tmp/a.xls");
        database.Close();
    }
    EXPECT_EQ(fake.loginTimeout, 15u);
    EXPECT_EQ(fake.completion, SQL_DRIVER_NOPROMPT);
    EXPECT_EQ(fake.completedStringSize, 512);
    EXPECT_THAT(fake.calls,
                ElementsAre("SQLDriverConnect DRIVER={x};DBQ=/tmp/a.xls", "SQLDisconnect", "SQLFreeConnect"));
    EXPECT_EQ(fake.connectionsLive, 0);
    EXPECT_EQ(fake.environmentsLive, 0);
}

TEST_F(OdbcDatabaseTest, OneEnvironmentIsSharedAndFreedWithTheLastConnection) {
    std::optional<OdbcDatabase> first(std::in_place, odbc, "DSN=a");
    {
        OdbcDatabase second(odbc, "DSN=b");
        EXPECT_EQ(fake.environmentsMade, 1);
    }
    EXPECT_EQ(fake.environmentsLive, 1);
    first.reset();
    EXPECT_EQ(fake.environmentsLive, 0);
    OdbcDatabase third(odbc, "DSN=c");
    EXPECT_EQ(fake.environmentsMade, 2);
}

TEST_F(OdbcDatabaseTest, RefusedConnectionCarriesEveryDiagnosticWhole) {
    fake.refuseConnection = true;
    const std::string longText(700, 'w');
    fake.failureTexts = {"[velanto] cannot create the workbook", longText};
    EXPECT_EQ(Failure([&] { OdbcDatabase database(odbc, "DSN=x"); }),
              "[velanto] cannot create the workbook\n" + longText);
    EXPECT_EQ(fake.Count("SQLDisconnect"), 0);
    EXPECT_EQ(fake.connectionsLive, 0);
    EXPECT_EQ(fake.environmentsLive, 0);
}

TEST_F(OdbcDatabaseTest, DriverBelowApiLevelOneIsRefusedAndDisconnected) {
    fake.apiConformance = SQL_OAC_NONE;
    EXPECT_THAT(Failure([&] { OdbcDatabase database(odbc, "DSN=x"); }), ::testing::HasSubstr("conformance level 1"));
    EXPECT_EQ(fake.Count("SQLDisconnect"), 1);
    EXPECT_EQ(fake.connectionsLive, 0);
}

TEST_F(OdbcDatabaseTest, EachStatementHasItsOwnHandleAndTimeout) {
    OdbcDatabase database(odbc, "DSN=x");
    database.ExecuteSql("CREATE TABLE t ( a TEXT )");
    database.ExecuteSql("INSERT INTO t VALUES ('1')");
    EXPECT_EQ(fake.queryTimeoutRequests, 2);
    EXPECT_EQ(fake.Count("SQLFreeStmt 1"), 2);  // SQL_DROP
    EXPECT_THAT(fake.statementsLive, IsEmpty());
}

TEST_F(OdbcDatabaseTest, RefusedQueryTimeoutIsNotAskedForAgain) {
    fake.refuseQueryTimeout = true;
    OdbcDatabase database(odbc, "DSN=x");
    for (int i = 0; i < 3; ++i) {
        database.ExecuteSql("INSERT INTO t VALUES ('1')");
    }
    EXPECT_EQ(fake.queryTimeoutRequests, 1);
    EXPECT_EQ(fake.Count("SQLExecDirect"), 3);
}

TEST_F(OdbcDatabaseTest, ResultsAreReadToTheEnd) {
    fake.resultRows = 4;
    OdbcDatabase database(odbc, "DSN=x");
    database.ExecuteSql("SELECT a FROM t");
    EXPECT_EQ(fake.rowsFetched, 4);
    EXPECT_EQ(fake.Count("SQLMoreResults"), 1);
}

TEST_F(OdbcDatabaseTest, FailingStatementIsCancelledDroppedAndThrown) {
    fake.failingStatement = "'bad'";
    fake.failureTexts = {"[velanto] a value is not UTF-8 text"};
    OdbcDatabase database(odbc, "DSN=x");
    EXPECT_EQ(Failure([&] { database.ExecuteSql("INSERT INTO t VALUES ('bad')"); }),
              "[velanto] a value is not UTF-8 text");
    EXPECT_THAT(std::vector(fake.calls.end() - 2, fake.calls.end()), ElementsAre("SQLCancel", "SQLFreeStmt 1"));
    EXPECT_THAT(fake.statementsLive, IsEmpty());
}

// Whatever fails once the save has begun, the confirmed file keeps what it held, nothing is
// left beside it, and the connection goes: after a disconnect that could not write, by
// giving up what the driver holds.
TEST(SpreadsheetSave, FailureKeepsTheConfirmedFileAndFreesTheConnection) {
    struct Fault {
        bool refuseConnection;
        std::string failingStatement;
        bool refuseDisconnect;
    };
    for (const Fault& fault : {Fault{true, "", false}, Fault{false, "'4660'", false}, Fault{false, "", true}}) {
        FakeDriverManager fake;
        fake.refuseConnection = fault.refuseConnection;
        fake.failingStatement = fault.failingStatement;
        fake.refuseDisconnectUntilRollback = fault.refuseDisconnect;
        OdbcRuntime odbc{FakeDriverManager::Installer(), FakeDriverManager::Calls()};
        testing::ScratchFolder scratch;
        MemoryRecordTable list;
        list.InsertRow(0);
        list.SetCellText(0, 0, "4660");
        FakeExportUi ui;
        ui.savePath = (scratch / "old.xls").string();
        std::ofstream(*ui.savePath) << "an older export";

        EXPECT_THROW(SaveAsSpreadsheet(list, "velanto", ui, odbc), DatabaseError);
        EXPECT_TRUE(ui.shown.empty());
        std::ifstream old(*ui.savePath);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "an older export");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 1);
        EXPECT_EQ(fake.connectionsLive, 0);
        EXPECT_EQ(fake.Count("SQLTransact 1"), fault.refuseDisconnect ? 1 : 0);  // SQL_ROLLBACK
    }
}

#ifdef _WIN32
// Has file_holder, beside this test, hold `file` open as Excel holds a workbook it shows, without
// sharing its deletion; what it gives back ends the holder.
std::function<void()> HoldInAnotherProgram(const fs::path& file) {
    wchar_t program[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const fs::path holder = fs::path(std::wstring(program, length)).parent_path() / "file_holder.exe";
    const std::string self = std::to_string(::GetCurrentProcessId());
    const std::string eventName = "velanto-file-held-" + self;
    const HANDLE held = ::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    const std::string arguments = eventName + " " + self;
    std::wstring command = L"\"" + holder.wstring() + L"\" \"" + file.wstring() + L"\" " +
                           std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    const HANDLE waits[] = {held, process.hProcess};
    EXPECT_EQ(::WaitForMultipleObjects(2, waits, FALSE, 30000), WAIT_OBJECT_0) << "the holder did not hold the file";
    ::CloseHandle(held);
    ::CloseHandle(process.hThread);
    return [process] {
        ::TerminateProcess(process.hProcess, 0);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hProcess);
    };
}
#endif

// A way the file chosen is kept from being deleted; what it gives back undoes it.
struct KeptFile {
    const char* name;
    std::function<std::function<void()>(const fs::path&)> keep;
};

// Undoes a way of keeping a file when it goes, also when a failed check ends the test.
class Released {
public:
    explicit Released(std::function<void()> release) : m_release(std::move(release)) {}
    ~Released() { m_release(); }
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;

private:
    std::function<void()> m_release;
};

std::vector<KeptFile> WaysToKeepAFile() {
    std::vector<KeptFile> ways{{"read-only", [](const fs::path& file) {
                                    fs::permissions(file, fs::perms::owner_read | fs::perms::others_read);
                                    return [file] { fs::permissions(file, fs::perms::owner_all); };
                                }}};
#ifdef _WIN32
    ways.push_back({"held open by another program", HoldInAnotherProgram});
#endif
    return ways;
}

// Root may write any file: the export is asked with an ordinary user's rights, as operators have.
class OrdinaryUser {
public:
#ifdef _WIN32
    OrdinaryUser() = default;
#else
    OrdinaryUser() : m_wasRoot(::geteuid() == 0) { EXPECT_TRUE(!m_wasRoot || ::seteuid(65534) == 0); }
    ~OrdinaryUser() { EXPECT_TRUE(!m_wasRoot || ::seteuid(0) == 0); }

private:
    bool m_wasRoot;
#endif
};

TEST_F(OdbcDatabaseTest, SaveOverAFileThatMayNotBeDeletedConnectsToNothingAndKeepsIt) {
    for (const KeptFile& way : WaysToKeepAFile()) {
        testing::ScratchFolder scratch;
        MemoryRecordTable list;
        list.InsertRow(0);
        FakeExportUi ui;
        ui.savePath = (scratch / "old.xls").string();
        std::ofstream(*ui.savePath) << "an older export";
        {
            const Released released(way.keep(*ui.savePath));
            [[maybe_unused]] const OrdinaryUser operatorRights;
            EXPECT_NO_THROW(SaveAsSpreadsheet(list, "velanto", ui, odbc)) << way.name;
        }
        EXPECT_THAT(ui.shown, ElementsAre("覆盖文件时出错！")) << way.name;
        EXPECT_EQ(fake.Count("SQLDriverConnect"), 0) << way.name;
        EXPECT_EQ(testing::ReadFile(*ui.savePath), "an older export") << way.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path()), {}), 1) << way.name;
    }
}

TEST_F(OdbcDatabaseTest, SaveWithTheDialogCancelledConnectsToNothingAndShowsNothing) {
    MemoryRecordTable list;
    list.InsertRow(0);
    FakeExportUi ui;
    SaveAsSpreadsheet(list, "velanto", ui, odbc);
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace velanto
