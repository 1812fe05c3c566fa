// Entry points that describe the driver: SQLGetInfo and SQLGetFunctions.

#include <array>
#include <variant>

#include "xlsdriver/odbc_support.h"

using namespace velanto;

namespace {

using InfoValue = std::variant<std::string, SQLUSMALLINT, SQLUINTEGER>;

std::optional<InfoValue> ConnectionInfo(const DriverConnection& connection, SQLUSMALLINT type) {
    const bool open = connection.workbook != nullptr;
    switch (type) {
        case SQL_DATA_SOURCE_NAME: return connection.dataSource;
        case SQL_DATABASE_NAME: return open ? connection.workbook->Path().string() : std::string();
        case SQL_SERVER_NAME: return std::string();
        case SQL_DATA_SOURCE_READ_ONLY: return std::string(open && connection.workbook->ReadOnly() ? "Y" : "N");
        default: return std::nullopt;
    }
}

std::optional<InfoValue> DriverInfo(SQLUSMALLINT type) {
    switch (type) {
        case SQL_DRIVER_NAME: return std::string("libvelantoxls.so");
        case SQL_DRIVER_VER: return std::string("01.00.0000");
        case SQL_DRIVER_ODBC_VER: return std::string("03.00");
        case SQL_ODBC_VER: return std::string("03.00.0000");
        case SQL_DBMS_NAME: return std::string("EXCEL");
        case SQL_DBMS_VER: return std::string("08.00.0000");  // Excel 97-2003 workbooks
        case SQL_ODBC_API_CONFORMANCE: return SQLUSMALLINT{SQL_OAC_LEVEL1};
        case SQL_ODBC_SQL_CONFORMANCE: return SQLUSMALLINT{SQL_OSC_MINIMUM};
        case SQL_ODBC_INTERFACE_CONFORMANCE: return SQLUINTEGER{SQL_OIC_CORE};
        case SQL_SQL_CONFORMANCE: return SQLUINTEGER{SQL_SC_SQL92_ENTRY};
        case SQL_TXN_CAPABLE: return SQLUSMALLINT{SQL_TC_NONE};
        case SQL_DEFAULT_TXN_ISOLATION: return SQLUINTEGER{0};
        case SQL_TXN_ISOLATION_OPTION: return SQLUINTEGER{0};
        case SQL_MULTIPLE_ACTIVE_TXN: return std::string("Y");
        case SQL_CURSOR_COMMIT_BEHAVIOR:
        case SQL_CURSOR_ROLLBACK_BEHAVIOR: return SQLUSMALLINT{SQL_CB_PRESERVE};
        case SQL_ACTIVE_CONNECTIONS:
        case SQL_ACTIVE_STATEMENTS: return SQLUSMALLINT{0};  // no limit
        case SQL_GETDATA_EXTENSIONS: return SQLUINTEGER{0};
        case SQL_IDENTIFIER_QUOTE_CHAR: return std::string("`");
        case SQL_IDENTIFIER_CASE: return SQLUSMALLINT{SQL_IC_MIXED};
        case SQL_QUOTED_IDENTIFIER_CASE: return SQLUSMALLINT{SQL_IC_MIXED};
        case SQL_SEARCH_PATTERN_ESCAPE: return std::string("");
        case SQL_SPECIAL_CHARACTERS: return std::string("$");
        case SQL_CATALOG_NAME_SEPARATOR:
        case SQL_CATALOG_TERM:
        case SQL_SCHEMA_TERM:
        case SQL_PROCEDURE_TERM: return std::string("");
        case SQL_CATALOG_NAME: return std::string("N");
        case SQL_TABLE_TERM: return std::string("table");
        case SQL_ACCESSIBLE_TABLES:
        case SQL_ACCESSIBLE_PROCEDURES: return std::string("Y");
        case SQL_PROCEDURES:
        case SQL_MULT_RESULT_SETS:
        case SQL_OUTER_JOINS:
        case SQL_EXPRESSIONS_IN_ORDERBY:
        case SQL_ORDER_BY_COLUMNS_IN_SELECT:
        case SQL_LIKE_ESCAPE_CLAUSE:
        case SQL_NEED_LONG_DATA_LEN:
        case SQL_ROW_UPDATES:
        case SQL_DESCRIBE_PARAMETER:
        case SQL_INTEGRITY:
        case SQL_COLUMN_ALIAS: return std::string("N");
        case SQL_NULL_COLLATION: return SQLUSMALLINT{SQL_NC_LOW};
        case SQL_CONCAT_NULL_BEHAVIOR: return SQLUSMALLINT{SQL_CB_NULL};
        case SQL_NON_NULLABLE_COLUMNS: return SQLUSMALLINT{SQL_NNC_NULL};
        case SQL_CORRELATION_NAME: return SQLUSMALLINT{SQL_CN_NONE};
        case SQL_GROUP_BY: return SQLUSMALLINT{SQL_GB_NOT_SUPPORTED};
        case SQL_FILE_USAGE: return SQLUSMALLINT{SQL_FILE_CATALOG};  // a workbook is a file
        case SQL_MAX_TABLE_NAME_LEN: return SQLUSMALLINT{kMaxSheetNameCharacters};
        case SQL_MAX_COLUMNS_IN_TABLE: return SQLUSMALLINT{kMaxSheetColumns};
        case SQL_MAX_COLUMN_NAME_LEN:
        case SQL_MAX_IDENTIFIER_LEN: return SQLUSMALLINT{255};
        case SQL_MAX_CHAR_LITERAL_LEN: return SQLUINTEGER{kMaxCellCharacters};
        case SQL_MAX_STATEMENT_LEN:
        case SQL_MAX_ROW_SIZE:
        case SQL_MAX_CATALOG_NAME_LEN:
        case SQL_MAX_SCHEMA_NAME_LEN:
        case SQL_MAX_CURSOR_NAME_LEN:
        case SQL_MAX_USER_NAME_LEN:
        case SQL_MAX_PROCEDURE_NAME_LEN:
        case SQL_MAX_COLUMNS_IN_SELECT:
        case SQL_MAX_COLUMNS_IN_INDEX:
        case SQL_MAX_COLUMNS_IN_ORDER_BY:
        case SQL_MAX_COLUMNS_IN_GROUP_BY:
        case SQL_MAX_TABLES_IN_SELECT:
        case SQL_MAX_INDEX_SIZE:
        case SQL_MAX_BINARY_LITERAL_LEN: return SQLUINTEGER{0};
        case SQL_SCROLL_OPTIONS: return SQLUINTEGER{SQL_SO_FORWARD_ONLY};
        case SQL_SCROLL_CONCURRENCY: return SQLUINTEGER{SQL_SCCO_READ_ONLY};
        case SQL_STATIC_SENSITIVITY:
        case SQL_POSITIONED_STATEMENTS:
        case SQL_LOCK_TYPES:
        case SQL_POS_OPERATIONS:
        case SQL_BOOKMARK_PERSISTENCE:
        case SQL_FETCH_DIRECTION:
        case SQL_ALTER_TABLE:
        case SQL_SUBQUERIES:
        case SQL_UNION:
        case SQL_CONVERT_FUNCTIONS:
        case SQL_NUMERIC_FUNCTIONS:
        case SQL_STRING_FUNCTIONS:
        case SQL_SYSTEM_FUNCTIONS:
        case SQL_TIMEDATE_FUNCTIONS:
        case SQL_TIMEDATE_ADD_INTERVALS:
        case SQL_TIMEDATE_DIFF_INTERVALS:
        case SQL_SCHEMA_USAGE:
        case SQL_CATALOG_USAGE:
        case SQL_PARAM_ARRAY_ROW_COUNTS:
        case SQL_PARAM_ARRAY_SELECTS:
        case SQL_BATCH_SUPPORT:
        case SQL_BATCH_ROW_COUNT:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
        case SQL_KEYSET_CURSOR_ATTRIBUTES1:
        case SQL_KEYSET_CURSOR_ATTRIBUTES2:
        case SQL_STATIC_CURSOR_ATTRIBUTES1:
        case SQL_STATIC_CURSOR_ATTRIBUTES2:
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1:
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
        case SQL_ASYNC_MODE:
        case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
        case SQL_DROP_VIEW:
        case SQL_CREATE_VIEW:
        case SQL_CREATE_SCHEMA:
        case SQL_DROP_SCHEMA:
        case SQL_INDEX_KEYWORDS:
        case SQL_INSERT_STATEMENT: return SQLUINTEGER{0};
        case SQL_CREATE_TABLE: return SQLUINTEGER{SQL_CT_CREATE_TABLE};
        case SQL_DROP_TABLE: return SQLUINTEGER{SQL_DT_DROP_TABLE};
        case SQL_KEYWORDS: return std::string("");
        case SQL_USER_NAME: return std::string("");
        case SQL_CURSOR_SENSITIVITY: return SQLUINTEGER{SQL_UNSPECIFIED};
        case SQL_OJ_CAPABILITIES: return SQLUINTEGER{0};
        default: return std::nullopt;
    }
}

SQLRETURN ReturnInfo(DriverConnection& connection, const InfoValue& info, SQLPOINTER value, SQLSMALLINT capacity,
                     SQLSMALLINT* length) {
    if (const auto* text = std::get_if<std::string>(&info)) {
        return OutputText(connection.diagnostics, *text, value, capacity, length);
    }
    if (const auto* small = std::get_if<SQLUSMALLINT>(&info)) {
        if (value)
            *static_cast<SQLUSMALLINT*>(value) = *small;
        if (length)
            *length = sizeof(SQLUSMALLINT);
    } else {
        if (value)
            *static_cast<SQLUINTEGER*>(value) = std::get<SQLUINTEGER>(info);
        if (length)
            *length = sizeof(SQLUINTEGER);
    }
    return SQL_SUCCESS;
}

constexpr std::array<SQLUSMALLINT, 26> kImplemented = {
    SQL_API_SQLALLOCHANDLE,    SQL_API_SQLFREEHANDLE,     SQL_API_SQLFREESTMT,      SQL_API_SQLSETENVATTR,
    SQL_API_SQLGETENVATTR,     SQL_API_SQLCONNECT,        SQL_API_SQLDRIVERCONNECT, SQL_API_SQLDISCONNECT,
    SQL_API_SQLSETCONNECTATTR, SQL_API_SQLGETCONNECTATTR, SQL_API_SQLENDTRAN,       SQL_API_SQLEXECDIRECT,
    SQL_API_SQLPREPARE,        SQL_API_SQLEXECUTE,        SQL_API_SQLNUMRESULTCOLS, SQL_API_SQLROWCOUNT,
    SQL_API_SQLFETCH,          SQL_API_SQLCLOSECURSOR,    SQL_API_SQLMORERESULTS,   SQL_API_SQLCANCEL,
    SQL_API_SQLSETSTMTATTR,    SQL_API_SQLGETSTMTATTR,    SQL_API_SQLGETINFO,       SQL_API_SQLGETFUNCTIONS,
    SQL_API_SQLGETDIAGREC,     SQL_API_SQLGETDIAGFIELD};

bool Implemented(SQLUSMALLINT function) {
    return function == SQL_API_SQLERROR ||
           std::find(kImplemented.begin(), kImplemented.end(), function) != kImplemented.end();
}

}  // namespace

SQLRETURN SQLGetInfo(SQLHDBC connectionHandle, SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT capacity,
                     SQLSMALLINT* length) {
    DriverConnection* connection = AsConnection(connectionHandle);
    if (!connection) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*connection, [&]() -> SQLRETURN {
        std::lock_guard guard(connection->lock);
        std::optional<InfoValue> info = ConnectionInfo(*connection, infoType);
        if (!info) {
            info = DriverInfo(infoType);
        }
        if (!info) {
            throw DriverError("HY096", "information type " + std::to_string(infoType) + " is not known to the driver");
        }
        return ReturnInfo(*connection, *info, value, capacity, length);
    });
}

SQLRETURN SQLGetFunctions(SQLHDBC connectionHandle, SQLUSMALLINT function, SQLUSMALLINT* supported) {
    DriverConnection* connection = AsConnection(connectionHandle);
    if (!connection) {
        return SQL_INVALID_HANDLE;
    }
    return Guarded(*connection, [&]() -> SQLRETURN {
        if (!supported) {
            throw DriverError("HY009", "no place for the answer");
        }
        if (function == SQL_API_ODBC3_ALL_FUNCTIONS) {
            std::fill_n(supported, SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, 0);
            for (SQLUSMALLINT id = 0; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16; ++id) {
                if (Implemented(id))
                    supported[id >> 4] |= static_cast<SQLUSMALLINT>(1 << (id & 0xF));
            }
        } else if (function == SQL_API_ALL_FUNCTIONS) {
            for (SQLUSMALLINT id = 0; id < 100; ++id)
                supported[id] = Implemented(id) ? SQL_TRUE : SQL_FALSE;
        } else {
            *supported = Implemented(function) ? SQL_TRUE : SQL_FALSE;
        }
        return SQL_SUCCESS;
    });
}
