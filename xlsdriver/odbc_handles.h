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
struct DriverHandle {
    explicit DriverHandle(HandleKind handleKind) : kind(handleKind) {}
    HandleKind kind;
    Diagnostics diagnostics;
};

struct DriverEnvironment : DriverHandle {
    DriverEnvironment() : DriverHandle(HandleKind::kEnvironment) {}
    SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

struct DriverStatement;

// One connection: the open workbook and the statements on it. The lock serialises the
// calls that threads make on this connection and its statements.
struct DriverConnection : DriverHandle {
    DriverConnection() : DriverHandle(HandleKind::kConnection) {}

    std::mutex lock;
    std::unique_ptr<WorkbookConnection> workbook;
    std::list<std::unique_ptr<DriverStatement>> statements;
    std::string dataSource;
    SQLUINTEGER loginTimeout = 0;
};

struct DriverStatement : DriverHandle {
    explicit DriverStatement(DriverConnection& dbc) : DriverHandle(HandleKind::kStatement), connection(dbc) {}

    DriverConnection& connection;
    std::optional<SqlStatement> prepared;
    SQLLEN rowCount = -1;
    SQLULEN queryTimeout = 0;
};

// The handle as the type it must be, or null when it is null or of another kind.
template <typename T, HandleKind Kind>
T* HandleAs(SQLHANDLE handle) {
    auto* base = static_cast<DriverHandle*>(handle);
    return base && base->kind == Kind ? static_cast<T*>(base) : nullptr;
}

inline DriverEnvironment* AsEnvironment(SQLHANDLE h) {
    return HandleAs<DriverEnvironment, HandleKind::kEnvironment>(h);
}
inline DriverConnection* AsConnection(SQLHANDLE h) { return HandleAs<DriverConnection, HandleKind::kConnection>(h); }
inline DriverStatement* AsStatement(SQLHANDLE h) { return HandleAs<DriverStatement, HandleKind::kStatement>(h); }

// The handle of any kind, or null.
DriverHandle* AsAnyHandle(SQLSMALLINT handleType, SQLHANDLE handle);

}  // namespace velanto
