#pragma once

// A stand-in for the ODBC driver manager and installer: plain functions with the ODBC
// signatures, scripted and observed through one FakeDriverManager at a time.

#include <set>
#include <string>
#include <vector>

#include "export/odbc_runtime.h"

namespace velanto::testing {

struct FakeDriverManager {
    // Script
    std::string installedDrivers = std::string("velanto Excel Driver (*.xls)\0", 29);  // the list, without its end
    bool refuseConnection = false;
    bool refuseDisconnectUntilRollback = false;  // as a driver that cannot write its file
    bool refuseQueryTimeout = false;
    SQLUSMALLINT apiConformance = SQL_OAC_LEVEL1;
    std::string failingStatement;           // SQLExecDirect fails for a statement holding this
    std::vector<std::string> failureTexts;  // the diagnostics of any failure
    int resultRows = 0;                     // rows of a result set for a statement starting with SELECT

    // Observations
    std::vector<std::string> calls;  // "SQLExecDirect <text>", "SQLCancel", "SQLFreeStmt 1" ...
    int environmentsMade = 0;
    int environmentsLive = 0;
    int connectionsLive = 0;  // a connected handle cannot be freed: it stays live
    std::set<SQLHSTMT> statementsLive;
    int queryTimeoutRequests = 0;
    int rowsFetched = 0;
    SQLULEN loginTimeout = 0;
    SQLSMALLINT completedStringSize = 0;
    SQLUSMALLINT completion = 0;

    FakeDriverManager();  // becomes the one the functions act on
    ~FakeDriverManager();
    FakeDriverManager(const FakeDriverManager&) = delete;
    FakeDriverManager& operator=(const FakeDriverManager&) = delete;

    static InstallerCalls Installer();
    static DriverManagerCalls Calls();
    int Count(const std::string& callPrefix) const;
};

}  // namespace velanto::testing
