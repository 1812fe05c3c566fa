#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "xlsdriver/odbc_api.h"
#include "xlsdriver/odbc_diagnostics.h"
#include "xlsdriver/sql_statement.h"
#include "xlsdriver/workbook_connection.h"

namespace velanto {

enum class HandleKind : std::uint32_t { kEnvironment = 0x766C4531, kConnection = 0x766C4332, kStatement = 0x766C5333 };

// What every handle starts with, so that a handle of the wrong kind is recognised.
struct OdbcHandle {
    explicit OdbcHandle(HandleKind handleKind) : kind(handleKind) {}
    HandleKind kind;
    Diagnostics diagnostics;
};

struct OdbcEnvironment : OdbcHandle {
    OdbcEnvironment() : OdbcHandle(HandleKind::kEnvironment) {}
    SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

struct OdbcStatement;

// One connection: the open workbook and the statements on it. The lock serialises the
// calls that threads make on this connection and its statements.
struct OdbcConnection : OdbcHandle {
    OdbcConnection() : OdbcHandle(HandleKind::kConnection) {}

    std::mutex lock;
    std::unique_ptr<WorkbookConnection> workbook;
    std::list<std::unique_ptr<OdbcStatement>> statements;
    std::string dataSource;
    SQLUINTEGER loginTimeout = 0;
};

struct OdbcStatement : OdbcHandle {
    explicit OdbcStatement(OdbcConnection& dbc) : OdbcHandle(HandleKind::kStatement), connection(dbc) {}

    OdbcConnection& connection;
    std::optional<SqlStatement> prepared;
    SQLLEN rowCount = -1;
    SQLULEN queryTimeout = 0;
};

// The handle as the type it must be, or null when it is null or of another kind.
template <typename T, HandleKind Kind>
T* HandleAs(SQLHANDLE handle) {
    auto* base = static_cast<OdbcHandle*>(handle);
    return base && base->kind == Kind ? static_cast<T*>(base) : nullptr;
}

inline OdbcEnvironment* AsEnvironment(SQLHANDLE h) { return HandleAs<OdbcEnvironment, HandleKind::kEnvironment>(h); }
inline OdbcConnection* AsConnection(SQLHANDLE h) { return HandleAs<OdbcConnection, HandleKind::kConnection>(h); }
inline OdbcStatement* AsStatement(SQLHANDLE h) { return HandleAs<OdbcStatement, HandleKind::kStatement>(h); }

// The handle of any kind, or null.
OdbcHandle* AsAnyHandle(SQLSMALLINT handleType, SQLHANDLE handle);

}  // namespace velanto
