#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

// One export through the driver manager: connect (creating the workbook), CREATE TABLE,
// N INSERTs of ten short cells, disconnect (the workbook is written).
bool ExportRows(SQLHENV env, const std::string& path, long rows) {
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    const std::string connection =
        "DRIVER={velanto Excel Driver (*.xls)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;"
        "CREATE_DB=\"" +
        path + "\";DBQ=" + path;
    bool ok = SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connection.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                             SQL_DRIVER_NOPROMPT));
    const auto execute = [&](const std::string& sql) {
        SQLHSTMT statement = SQL_NULL_HSTMT;
        ok = ok && SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement)) &&
             SQL_SUCCEEDED(SQLExecDirect(statement, (SQLCHAR*)sql.c_str(), SQL_NTS));
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
    };
    execute(
        "CREATE TABLE velanto (  0ID TEXT,  1TESTNO TEXT,  2Date TEXT,  3Hour TEXT,  4Prog TEXT,  5Result TEXT,"
        "  6RLU TEXT,  7Lower TEXT,  8Upper TEXT,  9remark TEXT ) ");
    for (long i = 1; i <= rows && ok; ++i) {
        execute(
            "INSERT INTO velanto ( 0ID ,  1TESTNO ,  2Date ,  3Hour ,  4Prog ,  5Result ,  6RLU ,  7Lower ,"
            "  8Upper ,  9remark ) VALUES( '4660' ,  '" +
            std::to_string(i) +
            "' ,  '2007/03/15' ,  '09:05' ,"
            "  '3' ,  'Caution' ,  '" +
            std::to_string(i * 37 % 10000) + "' ,  '100' ,  '500' ,  '' )");
    }
    ok = ok && SQL_SUCCEEDED(SQLDisconnect(dbc));
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    return ok;
}

void BM_ExportThroughDriverManager(benchmark::State& state) {
    ::setenv("ODBCSYSINI", VELANTO_XLS_ODBC_DIR, 1);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("velanto-bench-" + std::to_string(::getpid()) + ".xls");
    SQLHENV env = SQL_NULL_HENV;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        state.ResumeTiming();
        if (!ExportRows(env, path.string(), state.range(0))) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove(path);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}
BENCHMARK(BM_ExportThroughDriverManager)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
