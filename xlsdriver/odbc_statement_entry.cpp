// Entry points that run statements. No statement of the driver returns rows.

#include "xlsdriver/odbc_support.h"

using namespace velanto;

namespace {

template <typename Body>
SQLRETURN OnStatement(SQLHSTMT handle, Body&& body) {
    DriverStatement* statement = AsStatement(handle);
    return statement ? Guarded(*statement, [&]() -> SQLRETURN { return body(*statement); }) : SQL_INVALID_HANDLE;
}

SQLRETURN Run(DriverStatement& statement, const SqlStatement& parsed) {
    DriverConnection& connection = statement.connection;
    std::lock_guard guard(connection.lock);
    if (!connection.workbook) {
        throw DriverError("08003", "the connection is not open");
    }
    statement.rowCount = -1;
    statement.rowCount = connection.workbook->Execute(parsed);
    return SQL_SUCCESS;
}

// The one value the driver supports for attributes about cursors, which it never has.
std::optional<SQLULEN> FixedValue(SQLINTEGER attribute) {
    switch (attribute) {
        case SQL_ATTR_CURSOR_TYPE: return SQL_CURSOR_FORWARD_ONLY;
        case SQL_ATTR_CONCURRENCY: return SQL_CONCUR_READ_ONLY;
        case SQL_ATTR_ASYNC_ENABLE: return SQL_ASYNC_ENABLE_OFF;
        case SQL_ATTR_ROW_ARRAY_SIZE: return 1;
        default: return std::nullopt;
    }
}

}  // namespace

SQLRETURN SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return OnStatement(handle, [&](DriverStatement& statement) -> SQLRETURN {
        statement.prepared.reset();
        return Run(statement, ParseSql(InputText(text, length)));
    });
}

SQLRETURN SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return OnStatement(handle, [&](DriverStatement& statement) -> SQLRETURN {
        statement.prepared.reset();
        statement.prepared = ParseSql(InputText(text, length));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLExecute(SQLHSTMT handle) {
    return OnStatement(handle, [&](DriverStatement& statement) -> SQLRETURN {
        if (!statement.prepared) {
            throw DriverError("HY010", "no statement has been prepared");
        }
        return Run(statement, *statement.prepared);
    });
}

SQLRETURN SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
    return OnStatement(handle, [&](DriverStatement&) -> SQLRETURN {
        if (count) {
            *count = 0;
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
    return OnStatement(handle, [&](DriverStatement& statement) -> SQLRETURN {
        if (count) {
            *count = statement.rowCount;
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLFetch(SQLHSTMT handle) {
    return OnStatement(
        handle, [&](DriverStatement&) -> SQLRETURN { throw DriverError("24000", "the statement has no result set"); });
}

SQLRETURN SQLCloseCursor(SQLHSTMT handle) {
    return OnStatement(
        handle, [&](DriverStatement&) -> SQLRETURN { throw DriverError("24000", "the statement has no open cursor"); });
}

SQLRETURN SQLMoreResults(SQLHSTMT handle) {
    return OnStatement(handle, [&](DriverStatement&) -> SQLRETURN { return SQL_NO_DATA; });
}

// Statements finish before their call returns, so there is nothing to cancel.
SQLRETURN SQLCancel(SQLHSTMT handle) {
    return OnStatement(handle, [&](DriverStatement&) -> SQLRETURN { return SQL_SUCCESS; });
}

SQLRETURN SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    return OnStatement(handle, [&](DriverStatement& statement) -> SQLRETURN {
        const auto number = reinterpret_cast<SQLULEN>(value);
        if (const std::optional<SQLULEN> fixed = FixedValue(attribute)) {
            if (number != *fixed) {
                statement.diagnostics.Add("01S02", "option value changed: only the default is supported");
                return SQL_SUCCESS_WITH_INFO;
            }
            return SQL_SUCCESS;
        }
        switch (attribute) {
            case SQL_ATTR_QUERY_TIMEOUT:
                statement.queryTimeout = number;  // statements never wait
                return SQL_SUCCESS;
            case SQL_ATTR_MAX_ROWS:
            case SQL_ATTR_MAX_LENGTH:
            case SQL_ATTR_NOSCAN:
            case SQL_ATTR_RETRIEVE_DATA: return SQL_SUCCESS;
            default: throw DriverError("HY092", "unknown statement attribute " + std::to_string(attribute));
        }
    });
}

SQLRETURN SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER, SQLINTEGER* length) {
    return OnStatement(handle, [&](DriverStatement& statement) -> SQLRETURN {
        SQLULEN number = FixedValue(attribute).value_or(0);
        switch (attribute) {
            case SQL_ATTR_QUERY_TIMEOUT: number = statement.queryTimeout; break;
            case SQL_ATTR_RETRIEVE_DATA: number = SQL_RD_ON; break;
            case SQL_ATTR_MAX_ROWS:
            case SQL_ATTR_MAX_LENGTH: number = 0; break;  // no limit
            case SQL_ATTR_NOSCAN: number = SQL_NOSCAN_OFF; break;
            default:
                if (!FixedValue(attribute)) {
                    // Not thrown: the driver manager asks for the descriptors with every new statement.
                    statement.diagnostics.Add("HY092", "unknown statement attribute " + std::to_string(attribute));
                    return SQL_ERROR;
                }
        }
        if (value) {
            *static_cast<SQLULEN*>(value) = number;
        }
        if (length) {
            *length = sizeof(SQLULEN);
        }
        return SQL_SUCCESS;
    });
}
