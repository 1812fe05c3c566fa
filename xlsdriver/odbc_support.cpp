#include "xlsdriver/odbc_support.h"

namespace velanto {

std::string InputText(const SQLCHAR* text, SQLINTEGER length) {
    if (!text) {
        return {};
    }
    const char* chars = reinterpret_cast<const char*>(text);
    if (length == SQL_NTS) {
        return chars;
    }
    if (length < 0) {
        throw DriverError("HY090", "invalid string length " + std::to_string(length));
    }
    return std::string(chars, static_cast<std::size_t>(length));
}

DriverHandle* AsAnyHandle(SQLSMALLINT handleType, SQLHANDLE handle) {
    switch (handleType) {
        case SQL_HANDLE_ENV: return AsEnvironment(handle);
        case SQL_HANDLE_DBC: return AsConnection(handle);
        case SQL_HANDLE_STMT: return AsStatement(handle);
        default: return nullptr;
    }
}

}  // namespace velanto
