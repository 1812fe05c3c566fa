#pragma once

#include <memory>
#include <string>

#include "export/odbc_runtime.h"

namespace velanto {

// One connection to an ODBC data source, disconnected and freed when the object goes.
// Every failure throws DatabaseError with the diagnostic texts of the driver.
class OdbcDatabase {
public:
    // Connects with the connection string, never prompting, and makes sure the driver
    // offers ODBC API conformance level 1 and the minimum SQL grammar.
    OdbcDatabase(OdbcRuntime& odbc, const std::string& connectionString);
    ~OdbcDatabase();
    OdbcDatabase(const OdbcDatabase&) = delete;
    OdbcDatabase& operator=(const OdbcDatabase&) = delete;

    // Runs one statement on a statement handle of its own, reads any results to the end and
    // drops the handle. The driver commits each statement on its own.
    void ExecuteSql(const std::string& sql);

    // Disconnects. A driver may write what it was given only now, so its failure is thrown;
    // the object's end then gives up what the driver could not write, and frees the connection.
    void Close();

private:
    void Connect(const std::string& connectionString);
    void CheckConformance();
    void Release();
    [[noreturn]] void Fail(SQLSMALLINT handleType, SQLHANDLE handle, const char* call) const;

    const DriverManagerCalls& m_calls;
    std::shared_ptr<OdbcEnvironment> m_environment;
    SQLHDBC m_connection = SQL_NULL_HDBC;
    bool m_connected = false;
    bool m_queryTimeoutRefused = false;
};

}  // namespace velanto
