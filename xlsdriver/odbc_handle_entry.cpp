// Entry points that allocate and free handles and set environment attributes.

#include "xlsdriver/odbc_support.h"

using namespace velanto;

namespace {

SQLRETURN AllocateStatement(DriverConnection& connection, SQLHANDLE* output) {
    return Guarded(connection, [&] {
        std::lock_guard guard(connection.lock);
        if (!connection.workbook) {
            throw DriverError("08003", "the connection is not open");
        }
        connection.statements.push_back(std::make_unique<DriverStatement>(connection));
        *output = connection.statements.back().get();
        return SQL_SUCCESS;
    });
}

void FreeStatement(DriverStatement* statement) {
    DriverConnection& connection = statement->connection;
    std::lock_guard guard(connection.lock);
    connection.statements.remove_if([&](const auto& owned) { return owned.get() == statement; });
}

}  // namespace

SQLRETURN SQLAllocHandle(SQLSMALLINT handleType, SQLHANDLE inputHandle, SQLHANDLE* outputHandle) {
    if (!outputHandle) {
        return SQL_ERROR;
    }
    *outputHandle = SQL_NULL_HANDLE;
    switch (handleType) {
        case SQL_HANDLE_ENV:
            *outputHandle = new (std::nothrow) DriverEnvironment();
            return *outputHandle ? SQL_SUCCESS : SQL_ERROR;
        case SQL_HANDLE_DBC: {
            DriverEnvironment* environment = AsEnvironment(inputHandle);
            if (!environment) {
                return SQL_INVALID_HANDLE;
            }
            return Guarded(*environment, [&]() -> SQLRETURN {
                *outputHandle = new DriverConnection();
                return SQL_SUCCESS;
            });
        }
        case SQL_HANDLE_STMT: {
            DriverConnection* connection = AsConnection(inputHandle);
            return connection ? AllocateStatement(*connection, outputHandle) : SQL_INVALID_HANDLE;
        }
        default: return SQL_ERROR;
    }
}

// Freeing a connection that is still open writes its workbook first, so nothing is lost.
SQLRETURN SQLFreeHandle(SQLSMALLINT handleType, SQLHANDLE handle) {
    if (handleType == SQL_HANDLE_ENV && AsEnvironment(handle)) {
        delete AsEnvironment(handle);
    } else if (handleType == SQL_HANDLE_DBC && AsConnection(handle)) {
        delete AsConnection(handle);
    } else if (handleType == SQL_HANDLE_STMT && AsStatement(handle)) {
        FreeStatement(AsStatement(handle));
    } else {
        return SQL_INVALID_HANDLE;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQLFreeStmt(SQLHSTMT statementHandle, SQLUSMALLINT option) {
    DriverStatement* statement = AsStatement(statementHandle);
    if (!statement) {
        return SQL_INVALID_HANDLE;
    }
    if (option == SQL_DROP) {
        FreeStatement(statement);
        return SQL_SUCCESS;
    }
    return Guarded(*statement, [&]() -> SQLRETURN {
        if (option != SQL_CLOSE && option != SQL_UNBIND && option != SQL_RESET_PARAMS) {
            throw DriverError("HY092", "invalid SQLFreeStmt option " + std::to_string(option));
        }
        return SQL_SUCCESS;  // there are never cursors, bound columns or parameters to release
    });
}

SQLRETURN SQLSetEnvAttr(SQLHENV environmentHandle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    DriverEnvironment* environment = AsEnvironment(environmentHandle);
    if (!environment) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*environment, [&]() -> SQLRETURN {
        const auto number = static_cast<SQLINTEGER>(reinterpret_cast<SQLLEN>(value));
        switch (attribute) {
            case SQL_ATTR_ODBC_VERSION: environment->odbcVersion = number; return SQL_SUCCESS;
            case SQL_ATTR_OUTPUT_NTS:
                if (number != SQL_TRUE) {
                    throw DriverError("HYC00", "strings are always returned with their NUL");
                }
                return SQL_SUCCESS;
            case SQL_ATTR_CONNECTION_POOLING:
            case SQL_ATTR_CP_MATCH: return SQL_SUCCESS;  // the driver manager's business
            default: throw DriverError("HY092", "unknown environment attribute " + std::to_string(attribute));
        }
    });
}

SQLRETURN SQLGetEnvAttr(SQLHENV environmentHandle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                        SQLINTEGER* length) {
    DriverEnvironment* environment = AsEnvironment(environmentHandle);
    if (!environment) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*environment, [&]() -> SQLRETURN {
        SQLINTEGER number = 0;
        switch (attribute) {
            case SQL_ATTR_ODBC_VERSION: number = environment->odbcVersion; break;
            case SQL_ATTR_OUTPUT_NTS: number = SQL_TRUE; break;
            default: throw DriverError("HY092", "unknown environment attribute " + std::to_string(attribute));
        }
        if (value) {
            *static_cast<SQLINTEGER*>(value) = number;
        }
        if (length) {
            *length = sizeof(SQLINTEGER);
        }
        return SQL_SUCCESS;
    });
}
