#pragma once

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "xlsdriver/driver_error.h"
#include "xlsdriver/odbc_handles.h"
#include "xlsdriver/utf8.h"

namespace velanto {

// Runs the body of an entry point for `handle`: its diagnostics are cleared first, and a
// DriverError or any other exception becomes a diagnostic record and SQL_ERROR, so that
// no exception ever leaves the library.
template <typename Body>
SQLRETURN Guarded(DriverHandle& handle, Body&& body) {
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

// How much of `value` fits in `limit` bytes without cutting a UTF-8 character.
inline std::size_t FittingBytes(const std::string& value, std::size_t limit) {
    std::size_t fitting = std::min(value.size(), limit);
    while (fitting < value.size() && fitting > 0 && IsUtf8Continuation(value[fitting])) {
        --fitting;
    }
    return fitting;
}

// Copies `value` and its NUL into the application's buffer of `capacity` bytes and reports
// its length in bytes through `length` when given. A value cut at a character boundary,
// because the buffer is too small or its length is more than `Length` can count, gives
// SQL_SUCCESS_WITH_INFO and 01004; the length reported is then that of the text available.
template <typename Length>
SQLRETURN OutputText(Diagnostics& diagnostics, const std::string& value, SQLPOINTER buffer, SQLLEN capacity,
                     Length* length) {
    const std::size_t countable = length ? FittingBytes(value, std::numeric_limits<Length>::max()) : value.size();
    if (length) {
        *length = static_cast<Length>(countable);
    }
    std::size_t copied = countable;
    if (buffer) {
        if (capacity < 0) {
            diagnostics.Add("HY090", "the buffer length is negative");
            return SQL_ERROR;
        }
        copied = FittingBytes(value, std::min(countable, capacity > 0 ? static_cast<std::size_t>(capacity) - 1 : 0));
        if (capacity > 0) {
            std::memcpy(buffer, value.data(), copied);
            static_cast<char*>(buffer)[copied] = '\0';
        }
    }
    if (copied < value.size()) {
        diagnostics.Add("01004", "string data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

}  // namespace velanto
