// The driver's behaviour as any ODBC application sees it through the driver manager:
// refusals and their SQLSTATEs, files that are never lost or half written, the
// information calls, the ODBC 2 calls, data sources and threads.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "tests/xlsdriver/odbc_test_support.h"

namespace velanto {
namespace {

namespace fs = std::filesystem;
using testing::CallResult;
using ::testing::HasSubstr;
using testing::OdbcSession;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class OdbcDriverTest : public ::testing::Test {
protected:
    void SetUp() override { testing::UseBuildTreeOdbcConfiguration(DataSourceWorkbook()); }

    static fs::path DataSourceWorkbook() {
        return fs::temp_directory_path() / ("velanto-xls-dsn-" + std::to_string(::getpid()) + ".xls");
    }
    std::string Workbook(const std::string& name = "book.xls") const { return (m_folder / name).string(); }
    std::vector<std::vector<std::string>> RowsOf(const std::string& path, std::size_t sheet = 0) const {
        return testing::ReadWithXlrd(path).at(sheet).rows;
    }
    void ExpectSqlstate(const CallResult& result, const std::string& sqlstate) const {
        EXPECT_EQ(result.code, SQL_ERROR);
        EXPECT_EQ(result.sqlstate, sqlstate) << result.message;
        EXPECT_THAT(result.message, HasSubstr("[velanto][velanto Excel Driver]"));
    }

    testing::ScratchFolder m_folder;
};

TEST_F(OdbcDriverTest, RefusedStatementsGiveTheirSqlstateAndChangeNothing) {
    OdbcSession session;
    ASSERT_EQ(session.DriverConnect("DRIVER={" + testing::kDriverName + "};DBQ=" + Workbook()).code, SQL_SUCCESS);
    ASSERT_EQ(session.Execute("CREATE TABLE t (a TEXT, b TEXT)").code, SQL_SUCCESS);

    const CallResult syntax = session.Execute("INSERT INTO t VALUES ('1' '2')");
    ExpectSqlstate(syntax, "42000");
    EXPECT_THAT(syntax.message, HasSubstr("character 27"));
    ExpectSqlstate(session.Execute("CREATE TABLE T (c TEXT)"), "42S01");
    ExpectSqlstate(session.Execute("INSERT INTO missing VALUES ('1', '2')"), "42S02");
    ExpectSqlstate(session.Execute("DROP TABLE missing"), "42S02");
    ExpectSqlstate(session.Execute("INSERT INTO t (a, c) VALUES ('1', '2')"), "42S22");
    ExpectSqlstate(session.Execute("INSERT INTO t VALUES ('1')"), "21S01");
    ExpectSqlstate(session.Execute("INSERT INTO t (a) VALUES ('1', '2')"), "21S01");
    ExpectSqlstate(session.Execute("CREATE TABLE [a:b] (c TEXT)"), "HY000");
    ExpectSqlstate(session.Execute("INSERT INTO t VALUES ('" + std::string(32768, 'x') + "', '')"), "22001");

    ASSERT_EQ(session.Execute("INSERT INTO t (b) VALUES ('only b')").code, SQL_SUCCESS);
    ASSERT_EQ(session.Disconnect().code, SQL_SUCCESS);
    EXPECT_EQ(RowsOf(Workbook()), (std::vector<std::vector<std::string>>{{"a", "b"}, {"", "only b"}}));
}

TEST_F(OdbcDriverTest, AFailedStatementKeepsTheRowsBeforeIt) {
    {
        OdbcSession session;
        ASSERT_EQ(session.DriverConnect(testing::ExportConnectionString(Workbook())).code, SQL_SUCCESS);
        ASSERT_EQ(session.Execute("CREATE TABLE velanto (0ID TEXT, 9remark TEXT)").code, SQL_SUCCESS);
        ASSERT_EQ(session.Execute("INSERT INTO velanto VALUES ('1', '')").code, SQL_SUCCESS);
        ASSERT_EQ(session.Execute("INSERT INTO velanto VALUES ('2', '')").code, SQL_SUCCESS);
        // A cell holding an apostrophe breaks the statement the export builds.
        ExpectSqlstate(session.Execute("INSERT INTO velanto VALUES ('it's', '')"), "42000");
    }  // the export unwinds: the connection is closed
    EXPECT_EQ(RowsOf(Workbook()), (std::vector<std::vector<std::string>>{{"0ID", "9remark"}, {"1", ""}, {"2", ""}}));
}

TEST_F(OdbcDriverTest, ConnectingToAMissingFolderCreatesNothing) {
    OdbcSession session;
    const std::string path = (m_folder / "missing" / "book.xls").string();
    const CallResult result = session.DriverConnect(testing::ExportConnectionString(path));
    ExpectSqlstate(result, "08001");
    EXPECT_THAT(result.message, HasSubstr((m_folder / "missing").string() + " does not exist"));
    EXPECT_FALSE(fs::exists(m_folder / "missing"));
    ExpectSqlstate(session.DriverConnect("DRIVER={" + testing::kDriverName + "};FIRSTROWHASNAMES=1"), "08001");

    // The workbook CREATE_DB made goes again when DBQ's cannot be made.
    ExpectSqlstate(
        session.DriverConnect("DRIVER={" + testing::kDriverName + "};CREATE_DB=" + Workbook() + ";DBQ=" + path),
        "08001");
    EXPECT_FALSE(fs::exists(Workbook()));
    // A folder that is there but takes no new files (even from root) is not said to be missing.
    const CallResult refused = session.DriverConnect(testing::ExportConnectionString("/proc/book.xls"));
    ExpectSqlstate(refused, "08001");
    EXPECT_THAT(refused.message, ::testing::Not(HasSubstr("does not exist")));
}

// The driver's own temporary name fits wherever the workbook's name does.
TEST_F(OdbcDriverTest, ANameOfTwoHundredAndFiftyFiveBytesIsWritten) {
    const std::string name = std::string(251, 'n') + ".xls";
    OdbcSession session;
    ASSERT_TRUE(SQL_SUCCEEDED(session.DriverConnect(testing::ExportConnectionString(Workbook(name))).code));
    ASSERT_EQ(session.Execute("CREATE TABLE t (a TEXT)").code, SQL_SUCCESS);
    ASSERT_EQ(session.Execute("INSERT INTO t VALUES ('1')").code, SQL_SUCCESS);
    const CallResult closed = session.Disconnect();
    ASSERT_EQ(closed.code, SQL_SUCCESS) << closed.message;
    EXPECT_EQ(RowsOf(Workbook(name)), (std::vector<std::vector<std::string>>{{"a"}, {"1"}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.Path()), {}), 1);
}

// After a disconnect that could not write, a rollback gives the workbook up: the connection
// then closes without writing, and the driver manager can free it.
TEST_F(OdbcDriverTest, RollbackAfterAFailedDisconnectLetsTheConnectionGo) {
    OdbcSession session;
    ASSERT_EQ(session.DriverConnect(testing::ExportConnectionString(Workbook())).code, SQL_SUCCESS);
    ASSERT_EQ(session.Execute("CREATE TABLE velanto (a TEXT)").code, SQL_SUCCESS);
    EXPECT_EQ(SQLTransact(session.Environment(), session.Connection(), SQL_ROLLBACK), SQL_SUCCESS);
    fs::remove(Workbook());
    fs::create_directory(Workbook());  // the workbook cannot take its place
    ExpectSqlstate(session.Disconnect(), "HY000");
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, session.Connection()), SQL_ERROR) << "still connected";
    ASSERT_EQ(SQLTransact(session.Environment(), session.Connection(), SQL_ROLLBACK), SQL_SUCCESS);
    ASSERT_EQ(session.Disconnect().code, SQL_SUCCESS);
    EXPECT_TRUE(fs::is_directory(Workbook()));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.Path()), {}), 1);
}

TEST_F(OdbcDriverTest, AnExistingFileIsNeverRewritten) {
    std::ofstream(Workbook()) << "someone's work";
    for (const std::string& connection :
         {testing::ExportConnectionString(Workbook()), "DRIVER={" + testing::kDriverName + "};DBQ=" + Workbook()}) {
        OdbcSession session;
        const CallResult result = session.DriverConnect(connection);
        ExpectSqlstate(result, "08001");
        EXPECT_THAT(result.message, HasSubstr("exists already"));
    }
    EXPECT_EQ(Contents(Workbook()), "someone's work");
}

TEST_F(OdbcDriverTest, ReadOnlyConnectionsChangeNothing) {
    const std::string base = "DRIVER={" + testing::kDriverName + "};READONLY=TRUE;";
    {
        OdbcSession session;
        ASSERT_EQ(session.DriverConnect(base + "DBQ=" + Workbook()).code, SQL_SUCCESS);
        char readOnly[2] = "";
        ASSERT_EQ(SQLGetInfo(session.Connection(), SQL_DATA_SOURCE_READ_ONLY, readOnly, sizeof readOnly, nullptr),
                  SQL_SUCCESS);
        EXPECT_STREQ(readOnly, "Y");
        for (const char* statement : {"CREATE TABLE t (a TEXT)", "INSERT INTO t VALUES ('1')", "DROP TABLE t"}) {
            const CallResult result = session.Execute(statement);
            ExpectSqlstate(result, "HY000");
            EXPECT_THAT(result.message, HasSubstr("read-only"));
        }
        ExpectSqlstate(session.Execute("SELECT"), "42000");
    }
    EXPECT_FALSE(fs::exists(Workbook()));
    OdbcSession creating;
    ExpectSqlstate(creating.DriverConnect(base + "CREATE_DB=" + Workbook()), "08001");
    EXPECT_FALSE(fs::exists(Workbook()));
}

TEST_F(OdbcDriverTest, TheFileIsAlwaysAWholeWorkbook) {
    OdbcSession session;
    ASSERT_EQ(session.DriverConnect(testing::ExportConnectionString(Workbook())).code, SQL_SUCCESS);
    // Created at connect time as an empty workbook that readers open.
    EXPECT_EQ(testing::ReadWithXlrd(Workbook()).at(0).name, "Sheet1");
    ASSERT_EQ(session.Execute("CREATE TABLE velanto (a TEXT)").code, SQL_SUCCESS);
    ASSERT_EQ(session.Execute("INSERT INTO velanto VALUES ('1')").code, SQL_SUCCESS);
    EXPECT_EQ(testing::ReadWithXlrd(Workbook()).at(0).name, "Sheet1") << "written only when closed";

    // A disconnect that cannot write keeps the connection and everything in it.
    const fs::path moved = m_folder.Path().string() + "-moved";
    fs::rename(m_folder.Path(), moved);
    const CallResult failed = session.Disconnect();
    ExpectSqlstate(failed, "HY000");
    EXPECT_THAT(failed.message, HasSubstr("cannot write the workbook"));
    fs::rename(moved, m_folder.Path());
    ASSERT_EQ(session.Execute("INSERT INTO velanto VALUES ('2')").code, SQL_SUCCESS);
    ASSERT_EQ(session.Disconnect().code, SQL_SUCCESS);

    EXPECT_EQ(RowsOf(Workbook()), (std::vector<std::vector<std::string>>{{"a"}, {"1"}, {"2"}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.Path()), {}), 1)
        << "the workbook alone: no temporary file stays";
}

TEST_F(OdbcDriverTest, InformationForTheExportsConformanceTest) {
    OdbcSession session;
    ASSERT_EQ(session.DriverConnect(testing::ExportConnectionString(Workbook())).code, SQL_SUCCESS);
    const auto small = [&](SQLUSMALLINT type) {
        SQLUSMALLINT value = 0xFFFF;
        EXPECT_EQ(SQLGetInfo(session.Connection(), type, &value, sizeof value, nullptr), SQL_SUCCESS) << type;
        return value;
    };
    const auto text = [&](SQLUSMALLINT type) {
        char value[256] = "";
        EXPECT_TRUE(SQL_SUCCEEDED(SQLGetInfo(session.Connection(), type, value, sizeof value, nullptr))) << type;
        return std::string(value);
    };
    EXPECT_GE(small(SQL_ODBC_API_CONFORMANCE), SQL_OAC_LEVEL1);
    EXPECT_GE(small(SQL_ODBC_SQL_CONFORMANCE), SQL_OSC_MINIMUM);
    EXPECT_EQ(small(SQL_TXN_CAPABLE), SQL_TC_NONE);
    EXPECT_EQ(text(SQL_DRIVER_NAME), "libvelantoxls.so");
    EXPECT_EQ(text(SQL_DBMS_NAME), "EXCEL");
    EXPECT_EQ(text(SQL_DRIVER_ODBC_VER), "03.00");
    EXPECT_EQ(text(SQL_DATA_SOURCE_READ_ONLY), "N");
    EXPECT_EQ(text(SQL_DATABASE_NAME), Workbook());

    char cut[4] = "";
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLGetInfo(session.Connection(), SQL_DBMS_NAME, cut, sizeof cut, &length), SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(cut, "EXC");
    EXPECT_EQ(length, 5);
    EXPECT_EQ(testing::Diagnose(SQL_ERROR, SQL_HANDLE_DBC, session.Connection()).sqlstate, "01004");
}

TEST_F(OdbcDriverTest, PreparedStatementsAndTheCallsAroundThem) {
    OdbcSession session;
    ASSERT_EQ(session.DriverConnect(testing::ExportConnectionString(Workbook())).code, SQL_SUCCESS);
    ASSERT_EQ(session.Execute("CREATE TABLE t (a TEXT)").code, SQL_SUCCESS);
    SQLHSTMT statement = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, session.Connection(), &statement), SQL_SUCCESS);
    ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)"INSERT INTO t VALUES ('again')", SQL_NTS), SQL_SUCCESS);
    SQLLEN rows = 0;
    SQLSMALLINT columns = -1;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(SQLExecute(statement), SQL_SUCCESS);
        ASSERT_EQ(SQLRowCount(statement, &rows), SQL_SUCCESS);
        EXPECT_EQ(rows, 1);
        ASSERT_EQ(SQLNumResultCols(statement, &columns), SQL_SUCCESS);
        EXPECT_EQ(columns, 0);
        EXPECT_EQ(SQLMoreResults(statement), SQL_NO_DATA);
        EXPECT_EQ(SQLFetch(statement), SQL_ERROR);
    }
    EXPECT_EQ(SQLCancel(statement), SQL_SUCCESS);
    ASSERT_EQ(SQLPrepare(statement, (SQLCHAR*)"INSERT INTO t VALUES ('a', 'b')", SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(SQLExecute(statement), SQL_ERROR);
    SQLCHAR state[6] = "";
    SQLINTEGER records = 0;
    ASSERT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, statement, 0, SQL_DIAG_NUMBER, &records, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(records, 1);
    ASSERT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, statement, 1, SQL_DIAG_SQLSTATE, state, sizeof state, nullptr),
              SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char*>(state), "21S01");
    ASSERT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, statement), SQL_SUCCESS);
    EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, session.Connection(), SQL_COMMIT), SQL_SUCCESS);
    ASSERT_EQ(session.Disconnect().code, SQL_SUCCESS);
    EXPECT_EQ(RowsOf(Workbook()).size(), 3u);
}

TEST_F(OdbcDriverTest, TheOdbcTwoCallsWorkThroughTheDriverManager) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocEnv(&env), SQL_SUCCESS);
    ASSERT_EQ(SQLAllocConnect(env, &dbc), SQL_SUCCESS);
    EXPECT_EQ(SQLSetConnectOption(dbc, SQL_LOGIN_TIMEOUT, 15), SQL_SUCCESS);
    const std::string connection = testing::ExportConnectionString(Workbook());
    SQLCHAR completed[512];
    SQLSMALLINT length = 0;
    ASSERT_EQ(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connection.c_str(), SQL_NTS, completed, sizeof completed,
                               &length, SQL_DRIVER_NOPROMPT),
              SQL_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(completed)), connection);
    ASSERT_EQ(SQLAllocStmt(dbc, &statement), SQL_SUCCESS);
    EXPECT_EQ(SQLSetStmtOption(statement, SQL_QUERY_TIMEOUT, 15), SQL_SUCCESS);
    EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)"CREATE TABLE t (a TEXT)", SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(SQLExecDirect(statement, (SQLCHAR*)"DROP TABLE t2", SQL_NTS), SQL_ERROR);
    SQLCHAR state[6] = "";
    SQLCHAR message[512] = "";
    SQLINTEGER native = 0;
    ASSERT_EQ(SQLError(env, dbc, statement, state, &native, message, sizeof message, &length), SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char*>(state), "S0002");  // 42S02 as ODBC 2 names it
    EXPECT_THAT(reinterpret_cast<char*>(message), HasSubstr("no table 't2'"));
    EXPECT_EQ(SQLError(env, dbc, statement, state, &native, message, sizeof message, &length), SQL_NO_DATA);
    EXPECT_EQ(SQLFreeStmt(statement, SQL_DROP), SQL_SUCCESS);
    EXPECT_EQ(SQLTransact(env, dbc, SQL_COMMIT), SQL_SUCCESS);
    EXPECT_EQ(SQLDisconnect(dbc), SQL_SUCCESS);
    EXPECT_EQ(SQLFreeConnect(dbc), SQL_SUCCESS);
    EXPECT_EQ(SQLFreeEnv(env), SQL_SUCCESS);
    EXPECT_EQ(RowsOf(Workbook()), (std::vector<std::vector<std::string>>{{"a"}}));
}

TEST_F(OdbcDriverTest, DataSourcesAndPromptModes) {
    fs::remove(DataSourceWorkbook());
    {
        OdbcSession session;
        const CallResult connected = session.Connect("velanto-test-xls");
        ASSERT_EQ(connected.code, SQL_SUCCESS) << connected.message;
        ASSERT_EQ(session.Execute("CREATE TABLE fromdsn (a TEXT)").code, SQL_SUCCESS);
    }
    EXPECT_EQ(testing::ReadWithXlrd(DataSourceWorkbook()).at(0).name, "fromdsn");
    fs::remove(DataSourceWorkbook());
    {
        // The connection string's own DBQ wins over the data source's.
        OdbcSession session;
        ASSERT_EQ(session.DriverConnect("DSN=velanto-test-xls;DBQ=" + Workbook()).code, SQL_SUCCESS);
    }
    EXPECT_TRUE(fs::exists(Workbook()));
    EXPECT_FALSE(fs::exists(DataSourceWorkbook()));

    for (SQLUSMALLINT completion : {SQL_DRIVER_PROMPT, SQL_DRIVER_COMPLETE, SQL_DRIVER_COMPLETE_REQUIRED}) {
        OdbcSession session;
        EXPECT_FALSE(SQL_SUCCEEDED(
            session.DriverConnect(testing::ExportConnectionString(Workbook("prompt.xls")), completion).code));
    }
    EXPECT_FALSE(fs::exists(Workbook("prompt.xls")));
}

TEST_F(OdbcDriverTest, TwoThreadsWriteTwoWorkbooks) {
    const auto write = [&](const std::string& path, const std::string& tag) {
        OdbcSession session;
        if (session.DriverConnect(testing::ExportConnectionString(path)).code != SQL_SUCCESS)
            return;
        session.Execute("CREATE TABLE t (a TEXT, b TEXT)");
        for (int i = 0; i < 300; ++i) {
            session.Execute("INSERT INTO t VALUES ('" + tag + "', '" + std::to_string(i) + "')");
        }
    };
    std::thread first(write, Workbook("first.xls"), "first");
    std::thread second(write, Workbook("second.xls"), "second");
    first.join();
    second.join();
    for (const std::string tag : {"first", "second"}) {
        const auto rows = RowsOf(Workbook(tag + ".xls"));
        ASSERT_EQ(rows.size(), 301u);
        EXPECT_EQ(rows[300], (std::vector<std::string>{tag, "299"}));
    }
}

}  // namespace
}  // namespace velanto
