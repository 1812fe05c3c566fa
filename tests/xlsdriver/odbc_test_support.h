#pragma once

// Talking to the driver through the real driver manager, and reading its files back with
// independent readers, for the tests.

#include <sql.h>
#include <sqlext.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/scratch_folder.h"

namespace velanto::testing {

inline const std::string kDriverName = "velanto Excel Driver (*.xls)";

// Points the driver manager at the build tree's odbcinst.ini and a private odbc.ini
// holding the data source "velanto-test-xls" with the given DBQ. Call before any ODBC call.
void UseBuildTreeOdbcConfiguration(const std::filesystem::path& dataSourceWorkbook);

// The connection string that the export sends for `path`.
std::string ExportConnectionString(const std::string& path);

struct CallResult {
    SQLRETURN code;
    std::string sqlstate;  // of the first diagnostic record, empty when there is none
    std::string message;
};

// One environment and connection, freed (and disconnected) when it goes out of scope.
class OdbcSession {
public:
    OdbcSession();
    ~OdbcSession();
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    CallResult DriverConnect(const std::string& connectionString, SQLUSMALLINT completion = SQL_DRIVER_NOPROMPT);
    CallResult Connect(const std::string& dataSource);
    // Runs one statement on a fresh statement handle, as the export does.
    CallResult Execute(const std::string& sql);
    CallResult Disconnect();

    SQLHDBC Connection() const { return m_dbc; }
    SQLHENV Environment() const { return m_env; }
    bool Connected() const { return m_connected; }

private:
    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_connected = false;
};

// The first diagnostic record of a handle.
CallResult Diagnose(SQLRETURN code, SQLSMALLINT handleType, SQLHANDLE handle);

// A sheet as a reader shows it: its name and its rows of cell texts.
struct ReadSheet {
    std::string name;
    std::vector<std::vector<std::string>> rows;
};

// The workbook as python3-xlrd reads it (trailing empty cells included).
std::vector<ReadSheet> ReadWithXlrd(const std::filesystem::path& path);
// The workbook as catdoc's xls2csv prints it (rows end at their last non-empty cell).
std::vector<ReadSheet> ReadWithXls2csv(const std::filesystem::path& path);

}  // namespace velanto::testing
