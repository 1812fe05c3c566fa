#include "tests/export/fake_driver_manager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace velanto::testing {
namespace {

FakeDriverManager* g_fake = nullptr;
int g_environmentToken;
int g_connectionToken;
bool g_connected = false;
bool g_rolledBack = false;
std::uintptr_t g_nextStatement = 0x1000;
std::vector<std::string> g_pendingDiagnostics;

SQLRETURN Failure() {
    g_pendingDiagnostics = g_fake->failureTexts;
    return SQL_ERROR;
}

BOOL GetInstalledDrivers(LPSTR buffer, WORD capacity, WORD* length) {
    const std::string list = g_fake->installedDrivers + '\0';
    const std::size_t size = std::min<std::size_t>(list.size(), capacity);
    std::memcpy(buffer, list.data(), size);
    *length = static_cast<WORD>(size);
    return 1;
}

SQLRETURN AllocEnv(SQLHENV* environment) {
    ++g_fake->environmentsMade;
    ++g_fake->environmentsLive;
    *environment = &g_environmentToken;
    return SQL_SUCCESS;
}

SQLRETURN FreeEnv(SQLHENV) {
    --g_fake->environmentsLive;
    return SQL_SUCCESS;
}

SQLRETURN AllocConnect(SQLHENV, SQLHDBC* connection) {
    ++g_fake->connectionsLive;
    *connection = &g_connectionToken;
    return SQL_SUCCESS;
}

SQLRETURN SetConnectOption(SQLHDBC, SQLUSMALLINT option, SQLULEN value) {
    if (option == SQL_LOGIN_TIMEOUT) {
        g_fake->loginTimeout = value;
    }
    return SQL_SUCCESS;
}

SQLRETURN DriverConnect(SQLHDBC, SQLHWND, SQLCHAR* text, SQLSMALLINT, SQLCHAR* completed, SQLSMALLINT capacity,
                        SQLSMALLINT* length, SQLUSMALLINT completion) {
    g_fake->calls.push_back("SQLDriverConnect " + std::string(reinterpret_cast<char*>(text)));
    g_fake->completedStringSize = capacity;
    g_fake->completion = completion;
    if (g_fake->refuseConnection) {
        return Failure();
    }
    completed[0] = '\0';
    *length = 0;
    g_connected = true;
    return SQL_SUCCESS;
}

SQLRETURN GetInfo(SQLHDBC, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT, SQLSMALLINT*) {
    *static_cast<SQLUSMALLINT*>(value) = type == SQL_ODBC_API_CONFORMANCE ? g_fake->apiConformance : SQL_OSC_MINIMUM;
    return SQL_SUCCESS;
}

SQLRETURN Disconnect(SQLHDBC) {
    g_fake->calls.push_back("SQLDisconnect");
    if (g_fake->refuseDisconnectUntilRollback && !g_rolledBack) {
        return Failure();
    }
    g_connected = false;
    return SQL_SUCCESS;
}

SQLRETURN Transact(SQLHENV, SQLHDBC, SQLUSMALLINT type) {
    g_fake->calls.push_back("SQLTransact " + std::to_string(type));
    g_rolledBack = type == SQL_ROLLBACK;
    return SQL_SUCCESS;
}

SQLRETURN FreeConnect(SQLHDBC) {
    g_fake->calls.push_back("SQLFreeConnect");
    if (g_connected) {
        return SQL_ERROR;  // the driver manager's function sequence error
    }
    --g_fake->connectionsLive;
    return SQL_SUCCESS;
}

SQLRETURN AllocStmt(SQLHDBC, SQLHSTMT* statement) {
    *statement = reinterpret_cast<SQLHSTMT>(g_nextStatement++);
    g_fake->statementsLive.insert(*statement);
    return SQL_SUCCESS;
}

SQLRETURN SetStmtOption(SQLHSTMT, SQLUSMALLINT option, SQLULEN value) {
    if (option == SQL_QUERY_TIMEOUT && value == 15) {
        ++g_fake->queryTimeoutRequests;
    }
    return g_fake->refuseQueryTimeout ? Failure() : SQL_SUCCESS;
}

SQLRETURN ExecDirect(SQLHSTMT, SQLCHAR* text, SQLINTEGER) {
    const std::string sql(reinterpret_cast<char*>(text));
    g_fake->calls.push_back("SQLExecDirect " + sql);
    if (!g_fake->failingStatement.empty() && sql.find(g_fake->failingStatement) != std::string::npos) {
        return Failure();
    }
    return SQL_SUCCESS;
}

// A statement beginning with SELECT has one result set of one column.
SQLRETURN NumResultCols(SQLHSTMT, SQLSMALLINT* columns) {
    *columns = g_fake->calls.back().starts_with("SQLExecDirect SELECT") ? 1 : 0;
    return SQL_SUCCESS;
}

SQLRETURN Fetch(SQLHSTMT) {
    if (g_fake->rowsFetched == g_fake->resultRows) {
        return SQL_NO_DATA;
    }
    ++g_fake->rowsFetched;
    return SQL_SUCCESS;
}

SQLRETURN MoreResults(SQLHSTMT) {
    g_fake->calls.push_back("SQLMoreResults");
    return SQL_NO_DATA;
}

SQLRETURN Cancel(SQLHSTMT) {
    g_fake->calls.push_back("SQLCancel");
    return SQL_SUCCESS;
}

SQLRETURN FreeStmt(SQLHSTMT statement, SQLUSMALLINT option) {
    g_fake->calls.push_back("SQLFreeStmt " + std::to_string(option));
    g_fake->statementsLive.erase(statement);
    return SQL_SUCCESS;
}

SQLRETURN GetDiagRec(SQLSMALLINT, SQLHANDLE, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                     SQLSMALLINT capacity, SQLSMALLINT* length) {
    if (record < 1 || static_cast<std::size_t>(record) > g_pendingDiagnostics.size()) {
        return SQL_NO_DATA;
    }
    const std::string& text = g_pendingDiagnostics[static_cast<std::size_t>(record) - 1];
    std::strcpy(reinterpret_cast<char*>(state), "HY000");
    *native = 0;
    *length = static_cast<SQLSMALLINT>(text.size());
    const std::size_t copied = std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity) - 1);
    std::memcpy(message, text.data(), copied);
    message[copied] = '\0';
    return copied < text.size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

}  // namespace

FakeDriverManager::FakeDriverManager() {
    g_fake = this;
    g_pendingDiagnostics.clear();
    g_connected = false;
    g_rolledBack = false;
}

FakeDriverManager::~FakeDriverManager() { g_fake = nullptr; }

InstallerCalls FakeDriverManager::Installer() { return {GetInstalledDrivers}; }

DriverManagerCalls FakeDriverManager::Calls() {
    return {AllocEnv,      FreeEnv,  AllocConnect, SetConnectOption, DriverConnect, GetInfo,
            Disconnect,    Transact, FreeConnect,  AllocStmt,        SetStmtOption, ExecDirect,
            NumResultCols, Fetch,    MoreResults,  Cancel,           FreeStmt,      GetDiagRec};
}

int FakeDriverManager::Count(const std::string& callPrefix) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const std::string& call) { return call.starts_with(callPrefix); }));
}

}  // namespace velanto::testing
