#pragma once

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "xlsdriver/driver_error.h"
#include "xlsdriver/odbc_handles.h"

namespace velanto {

// Runs the body of an entry point for `handle`: its diagnostics are cleared first, and a
// DriverError or any other exception becomes a diagnostic record and SQL_ERROR, so that
// no exception ever leaves the library.
template <typename Body>
SQLRETURN Guarded(OdbcHandle& handle, Body&& body) {
    handle.diagnostics.Clear();
    SQLRETURN result = SQL_ERROR;
    try {
        result = body();
    } catch (const DriverError& error) {
        handle.diagnostics.Add(error.Sqlstate(), error.what());
    } catch (const std::bad_alloc&) {
        handle.diagnostics.Add("HY001", "out of memory");
    } catch (const std::exception& error) {
        handle.diagnostics.Add("HY000", error.what());
    }
    handle.diagnostics.SetReturnCode(result);
    return result;
}

// Text that the application passes in: `length` bytes, or up to the NUL for SQL_NTS.
std::string InputText(const SQLCHAR* text, SQLINTEGER length);

// Copies `value` and its NUL into the application's buffer of `capacity` bytes, cut at
// a character boundary when it does not fit (SQL_SUCCESS_WITH_INFO and 01004), and
// reports the whole length in bytes through `length` when given.
template <typename Length>
SQLRETURN OutputText(Diagnostics& diagnostics, const std::string& value, SQLPOINTER buffer, SQLLEN capacity,
                     Length* length) {
    if (length) {
        *length = static_cast<Length>(value.size());
    }
    if (!buffer) {
        return SQL_SUCCESS;
    }
    if (capacity < 0) {
        diagnostics.Add("HY090", "the buffer length is negative");
        return SQL_ERROR;
    }
    std::size_t copied = std::min(value.size(), capacity > 0 ? static_cast<std::size_t>(capacity) - 1 : 0);
    while (copied < value.size() && copied > 0 && (static_cast<unsigned char>(value[copied]) & 0xC0) == 0x80) {
        --copied;
    }
    if (capacity > 0) {
        std::memcpy(buffer, value.data(), copied);
        static_cast<char*>(buffer)[copied] = '\0';
    }
    if (copied < value.size()) {
        diagnostics.Add("01004", "string data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

}  // namespace velanto
