// Entry points that read the diagnostics of the last call on a handle. They leave the
// records in place (SQLError aside, which hands each out once).

#include "xlsdriver/odbc_support.h"

using namespace velanto;

namespace {

void CopySqlstate(const std::string& sqlstate, SQLCHAR* out) {
    if (out) {
        std::memcpy(out, sqlstate.c_str(), 6);
    }
}

// Who defined a SQLSTATE's class (or subclass): ODBC for the classes HY and IM and for the
// subclasses beginning with S, the SQL standard for the rest.
const char* Origin(const std::string& sqlstate, bool subclass) {
    const bool odbcClass = sqlstate.compare(0, 2, "HY") == 0 || sqlstate.compare(0, 2, "IM") == 0;
    return odbcClass || (subclass && sqlstate[2] == 'S') ? "ODBC 3.0" : "ISO 9075";
}

}  // namespace

SQLRETURN SQLGetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number, SQLCHAR* sqlstate,
                        SQLINTEGER* nativeError, SQLCHAR* message, SQLSMALLINT capacity, SQLSMALLINT* length) {
    DriverHandle* target = AsAnyHandle(handleType, handle);
    if (!target) {
        return SQL_INVALID_HANDLE;
    }
    if (number < 1 || capacity < 0) {
        return SQL_ERROR;
    }
    const auto& records = target->diagnostics.Records();
    if (static_cast<std::size_t>(number) > records.size()) {
        return SQL_NO_DATA;
    }
    const Diagnostics::Record& record = records[static_cast<std::size_t>(number) - 1];
    CopySqlstate(record.sqlstate, sqlstate);
    if (nativeError) {
        *nativeError = 0;
    }
    Diagnostics scratch;
    return OutputText(scratch, record.message, message, capacity, length);
}

SQLRETURN SQLGetDiagField(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number, SQLSMALLINT field,
                          SQLPOINTER value, SQLSMALLINT capacity, SQLSMALLINT* length) {
    DriverHandle* target = AsAnyHandle(handleType, handle);
    if (!target) {
        return SQL_INVALID_HANDLE;
    }
    const Diagnostics& diagnostics = target->diagnostics;
    Diagnostics scratch;
    const auto integer = [&](SQLINTEGER number) {
        if (value)
            *static_cast<SQLINTEGER*>(value) = number;
        return SQL_SUCCESS;
    };
    switch (field) {  // header fields
        case SQL_DIAG_NUMBER: return integer(static_cast<SQLINTEGER>(diagnostics.Records().size()));
        case SQL_DIAG_RETURNCODE:
            if (value)
                *static_cast<SQLRETURN*>(value) = diagnostics.ReturnCode();
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_COUNT: {
            const DriverStatement* statement = AsStatement(handle);
            if (!statement)
                return SQL_ERROR;
            if (value)
                *static_cast<SQLLEN*>(value) = statement->rowCount;
            return SQL_SUCCESS;
        }
        case SQL_DIAG_CURSOR_ROW_COUNT:
        case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
            if (value)
                *static_cast<SQLLEN*>(value) = 0;
            return AsStatement(handle) ? SQL_SUCCESS : SQL_ERROR;
        case SQL_DIAG_DYNAMIC_FUNCTION:
            return AsStatement(handle) ? OutputText(scratch, "", value, capacity, length) : SQL_ERROR;
        default: break;
    }
    if (number < 1) {
        return SQL_ERROR;
    }
    if (static_cast<std::size_t>(number) > diagnostics.Records().size()) {
        return SQL_NO_DATA;
    }
    const Diagnostics::Record& record = diagnostics.Records()[static_cast<std::size_t>(number) - 1];
    switch (field) {
        case SQL_DIAG_SQLSTATE: return OutputText(scratch, record.sqlstate, value, capacity, length);
        case SQL_DIAG_MESSAGE_TEXT: return OutputText(scratch, record.message, value, capacity, length);
        case SQL_DIAG_NATIVE: return integer(0);
        case SQL_DIAG_CLASS_ORIGIN: return OutputText(scratch, Origin(record.sqlstate, false), value, capacity, length);
        case SQL_DIAG_SUBCLASS_ORIGIN:
            return OutputText(scratch, Origin(record.sqlstate, true), value, capacity, length);
        case SQL_DIAG_CONNECTION_NAME:
        case SQL_DIAG_SERVER_NAME: return OutputText(scratch, "", value, capacity, length);
        case SQL_DIAG_COLUMN_NUMBER: return integer(SQL_NO_COLUMN_NUMBER);
        case SQL_DIAG_ROW_NUMBER:
            if (value)
                *static_cast<SQLLEN*>(value) = SQL_NO_ROW_NUMBER;
            return SQL_SUCCESS;
        default: return SQL_ERROR;
    }
}

// The ODBC 2 call: the next record of the most specific handle given.
SQLRETURN SQLError(SQLHENV environmentHandle, SQLHDBC connectionHandle, SQLHSTMT statementHandle, SQLCHAR* sqlstate,
                   SQLINTEGER* nativeError, SQLCHAR* message, SQLSMALLINT capacity, SQLSMALLINT* length) {
    DriverHandle* target = statementHandle    ? static_cast<DriverHandle*>(AsStatement(statementHandle))
                           : connectionHandle ? static_cast<DriverHandle*>(AsConnection(connectionHandle))
                                              : static_cast<DriverHandle*>(AsEnvironment(environmentHandle));
    if (!target) {
        return SQL_INVALID_HANDLE;
    }
    const Diagnostics::Record* record = target->diagnostics.NextForSqlError();
    if (!record) {
        return SQL_NO_DATA;
    }
    CopySqlstate(record->sqlstate, sqlstate);
    if (nativeError) {
        *nativeError = 0;
    }
    Diagnostics scratch;
    return OutputText(scratch, record->message, message, capacity, length);
}
