#pragma once

#include <string>
#include <vector>

#include "xlsdriver/odbc_api.h"

namespace velanto {

inline constexpr const char* kDriverName = "velanto Excel Driver";

// The diagnostic records that the last call on one handle left behind.
class Diagnostics {
public:
    struct Record {
        std::string sqlstate;
        std::string message;  // with the "[velanto][velanto Excel Driver]" prefix
    };

    void Clear() {
        m_records.clear();
        m_nextForSqlError = 0;
    }
    void Add(const std::string& sqlstate, const std::string& message) {
        m_records.push_back({sqlstate, std::string("[velanto][") + kDriverName + "]" + message});
    }

    const std::vector<Record>& Records() const { return m_records; }
    SQLRETURN ReturnCode() const { return m_returnCode; }
    void SetReturnCode(SQLRETURN code) { m_returnCode = code; }

    // The ODBC 2 way of reading records: each call returns the next one, once.
    const Record* NextForSqlError() {
        return m_nextForSqlError < m_records.size() ? &m_records[m_nextForSqlError++] : nullptr;
    }

private:
    std::vector<Record> m_records;
    std::size_t m_nextForSqlError = 0;
    SQLRETURN m_returnCode = SQL_SUCCESS;
};

}  // namespace velanto
