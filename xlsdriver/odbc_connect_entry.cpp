// Entry points that open and close connections and set their attributes.

#include "xlsdriver/odbc_support.h"

using namespace velanto;

namespace {

// The attributes a data source of odbc.ini gives the driver.
ConnectionAttributes DataSourceAttributes(const std::string& dataSource) {
    ConnectionAttributes attributes;
    for (const char* key : {"DBQ", "CREATE_DB", "FIRSTROWHASNAMES", "READONLY"}) {
        char value[4096] = "";
        if (SQLGetPrivateProfileString(dataSource.c_str(), key, "", value, sizeof value, "odbc.ini") > 0 && *value) {
            attributes.emplace(key, value);
        }
    }
    attributes["DSN"] = dataSource;
    return attributes;
}

void Open(DriverConnection& connection, const ConnectionAttributes& attributes) {
    std::lock_guard guard(connection.lock);
    if (connection.workbook) {
        throw DriverError("08002", "the connection is already open");
    }
    const ConnectionOptions options = ReadConnectionOptions(attributes);
    connection.workbook = std::make_unique<WorkbookConnection>(options);
    connection.dataSource = options.dsn;
}

SQLRETURN SetNumber(DriverConnection& connection, SQLINTEGER attribute, SQLULEN number) {
    switch (attribute) {
        case SQL_ATTR_LOGIN_TIMEOUT:
            connection.loginTimeout = static_cast<SQLUINTEGER>(number);  // connecting never waits
            return SQL_SUCCESS;
        case SQL_ATTR_AUTOCOMMIT:
            if (number != SQL_AUTOCOMMIT_ON) {
                throw DriverError("HYC00", "there are no transactions: every statement is committed on its own");
            }
            return SQL_SUCCESS;
        case SQL_ATTR_CONNECTION_TIMEOUT:
        case SQL_ATTR_QUERY_TIMEOUT:
        case SQL_ATTR_ACCESS_MODE:
        case SQL_ATTR_TXN_ISOLATION:
        case SQL_ATTR_QUIET_MODE:
        case SQL_ATTR_PACKET_SIZE:
        case SQL_ATTR_ANSI_APP: return SQL_SUCCESS;  // accepted; nothing the driver does depends on them
        default: throw DriverError("HY092", "unknown connection attribute " + std::to_string(attribute));
    }
}

SQLULEN GetNumber(const DriverConnection& connection, SQLINTEGER attribute) {
    switch (attribute) {
        case SQL_ATTR_LOGIN_TIMEOUT: return connection.loginTimeout;
        case SQL_ATTR_AUTOCOMMIT: return SQL_AUTOCOMMIT_ON;
        case SQL_ATTR_CONNECTION_DEAD: return SQL_CD_FALSE;
        case SQL_ATTR_ACCESS_MODE:
            return connection.workbook && connection.workbook->ReadOnly() ? SQL_MODE_READ_ONLY : SQL_MODE_READ_WRITE;
        case SQL_ATTR_TXN_ISOLATION: return 0;
        case SQL_ATTR_CONNECTION_TIMEOUT:
        case SQL_ATTR_QUERY_TIMEOUT: return 0;
        default: throw DriverError("HY092", "unknown connection attribute " + std::to_string(attribute));
    }
}

}  // namespace

SQLRETURN SQLConnect(SQLHDBC connectionHandle, SQLCHAR* serverName, SQLSMALLINT nameLength, SQLCHAR*, SQLSMALLINT,
                     SQLCHAR*, SQLSMALLINT) {
    DriverConnection* connection = AsConnection(connectionHandle);
    if (!connection) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*connection, [&]() -> SQLRETURN {
        const std::string dataSource = InputText(serverName, nameLength);
        Open(*connection, DataSourceAttributes(dataSource));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLDriverConnect(SQLHDBC connectionHandle, SQLHWND, SQLCHAR* inString, SQLSMALLINT inLength,
                           SQLCHAR* outString, SQLSMALLINT outCapacity, SQLSMALLINT* outLength,
                           SQLUSMALLINT completion) {
    DriverConnection* connection = AsConnection(connectionHandle);
    if (!connection) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*connection, [&]() -> SQLRETURN {
        if (completion != SQL_DRIVER_NOPROMPT) {
            const bool known = completion == SQL_DRIVER_PROMPT || completion == SQL_DRIVER_COMPLETE ||
                               completion == SQL_DRIVER_COMPLETE_REQUIRED;
            throw DriverError(known ? "HYC00" : "HY110",
                              "the driver has no dialog to prompt with: connect with SQL_DRIVER_NOPROMPT");
        }
        const std::string text = InputText(inString, inLength);
        ConnectionAttributes attributes = ParseConnectionString(text);
        if (const auto dsn = attributes.find("DSN"); dsn != attributes.end() && !dsn->second.empty()) {
            attributes.merge(DataSourceAttributes(dsn->second));  // the string's own values win
        }
        Open(*connection, attributes);
        return OutputText(connection->diagnostics, text, outString, outCapacity, outLength);
    });
}

// Writes the workbook. When that fails the connection stays open with everything in it,
// so that the application may free space and disconnect again, or roll back to give it up.
SQLRETURN SQLDisconnect(SQLHDBC connectionHandle) {
    DriverConnection* connection = AsConnection(connectionHandle);
    if (!connection) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*connection, [&]() -> SQLRETURN {
        std::lock_guard guard(connection->lock);
        if (!connection->workbook) {
            throw DriverError("08003", "the connection is not open");
        }
        connection->workbook->Save();
        connection->statements.clear();
        connection->workbook.reset();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLSetConnectAttr(SQLHDBC connectionHandle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    DriverConnection* connection = AsConnection(connectionHandle);
    if (!connection) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*connection, [&]() -> SQLRETURN {
        if (attribute == SQL_ATTR_CURRENT_CATALOG) {
            throw DriverError("HYC00", "a workbook has no catalogs");
        }
        return SetNumber(*connection, attribute, reinterpret_cast<SQLULEN>(value));
    });
}

SQLRETURN SQLGetConnectAttr(SQLHDBC connectionHandle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER capacity,
                            SQLINTEGER* length) {
    DriverConnection* connection = AsConnection(connectionHandle);
    if (!connection) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*connection, [&]() -> SQLRETURN {
        if (attribute == SQL_ATTR_CURRENT_CATALOG) {
            return OutputText(connection->diagnostics, "", value, capacity, length);
        }
        const SQLULEN number = GetNumber(*connection, attribute);
        if (value) {
            *static_cast<SQLUINTEGER*>(value) = static_cast<SQLUINTEGER>(number);
        }
        if (length) {
            *length = sizeof(SQLUINTEGER);
        }
        return SQL_SUCCESS;
    });
}

// Every statement is committed on its own, so there is nothing to commit or roll back, with
// one exception: a rollback on a connection whose disconnect could not write the workbook
// gives up what it holds, so that the application can disconnect and free it.
SQLRETURN SQLEndTran(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT completionType) {
    DriverHandle* target = AsAnyHandle(handleType, handle);
    if (!target || handleType == SQL_HANDLE_STMT) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*target, [&]() -> SQLRETURN {
        if (completionType != SQL_COMMIT && completionType != SQL_ROLLBACK) {
            throw DriverError("HY012", "invalid transaction operation code");
        }
        if (DriverConnection* connection = AsConnection(handle); connection && completionType == SQL_ROLLBACK) {
            std::lock_guard guard(connection->lock);
            if (connection->workbook) {
                connection->workbook->GiveUpUnsaved();
            }
        }
        return SQL_SUCCESS;
    });
}
