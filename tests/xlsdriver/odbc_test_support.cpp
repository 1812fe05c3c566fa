#include "tests/xlsdriver/odbc_test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace velanto::testing {
namespace {

namespace fs = std::filesystem;

// Runs a shell command with a time limit and returns what it printed.
std::string RunBounded(const std::string& command) {
    const std::string bounded = "timeout 60 " + command;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(bounded.c_str(), "r"), ::pclose);
    if (!pipe) {
        throw std::runtime_error("cannot run " + command);
    }
    std::string output;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;) {
        output.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe.release());
    if (status != 0) {
        throw std::runtime_error(command + " failed with status " + std::to_string(status) + ":\n" + output);
    }
    return output;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
        parts.push_back(text.substr(start, end - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Lines or pages: a separator at the very end ends the last one rather than starting another.
std::vector<std::string> Terminated(std::string text, char terminator) {
    if (!text.empty() && text.back() == terminator) {
        text.pop_back();
    }
    return Split(text, terminator);
}

}  // namespace

void UseBuildTreeOdbcConfiguration(const fs::path& dataSourceWorkbook) {
    // Tests run in parallel processes, each with its own data source file.
    struct RemovedAtExit {
        fs::path path;
        ~RemovedAtExit() {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    };
    static const RemovedAtExit odbcIniFile{fs::temp_directory_path() /
                                           ("velanto-xls-odbc-" + std::to_string(::getpid()) + ".ini")};
    const fs::path& odbcIni = odbcIniFile.path;
    std::ofstream(odbcIni) << "[velanto-test-xls]\nDriver=" << kDriverName << "\nDBQ=" << dataSourceWorkbook.string()
                           << "\nFIRSTROWHASNAMES=1\n";
    ::setenv("ODBCSYSINI", VELANTO_XLS_ODBC_DIR, 1);
    ::setenv("ODBCINI", odbcIni.c_str(), 1);
}

std::string ExportConnectionString(const std::string& path) {
    return "DRIVER={" + kDriverName + "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" + path +
           "\";DBQ=" + path;
}

CallResult Diagnose(SQLRETURN code, SQLSMALLINT handleType, SQLHANDLE handle) {
    CallResult result{code, "", ""};
    SQLCHAR state[6] = "";
    SQLCHAR message[1024] = "";
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRec(handleType, handle, 1, state, &native, message, sizeof message, &length))) {
        result.sqlstate = reinterpret_cast<char*>(state);
        result.message = reinterpret_cast<char*>(message);
    }
    return result;
}

OdbcSession::OdbcSession() {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env)) ||
        !SQL_SUCCEEDED(SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc))) {
        throw std::runtime_error("cannot allocate ODBC handles");
    }
    SQLSetConnectAttr(m_dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
}

OdbcSession::~OdbcSession() {
    if (m_connected) {
        SQLDisconnect(m_dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

CallResult OdbcSession::DriverConnect(const std::string& connectionString, SQLUSMALLINT completion) {
    SQLCHAR completed[512];
    SQLSMALLINT length = 0;
    const SQLRETURN code =
        SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
                         SQL_NTS, completed, sizeof completed, &length, completion);
    m_connected = SQL_SUCCEEDED(code);
    return Diagnose(code, SQL_HANDLE_DBC, m_dbc);
}

CallResult OdbcSession::Connect(const std::string& dataSource) {
    const SQLRETURN code = SQLConnect(m_dbc, reinterpret_cast<SQLCHAR*>(const_cast<char*>(dataSource.c_str())), SQL_NTS,
                                      nullptr, 0, nullptr, 0);
    m_connected = SQL_SUCCEEDED(code);
    return Diagnose(code, SQL_HANDLE_DBC, m_dbc);
}

CallResult OdbcSession::Execute(const std::string& sql) {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &statement))) {
        return Diagnose(SQL_ERROR, SQL_HANDLE_DBC, m_dbc);
    }
    SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
    const SQLRETURN code =
        SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    CallResult result = Diagnose(code, SQL_HANDLE_STMT, statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return result;
}

CallResult OdbcSession::Disconnect() {
    const SQLRETURN code = SQLDisconnect(m_dbc);
    if (SQL_SUCCEEDED(code)) {
        m_connected = false;
    }
    return Diagnose(code, SQL_HANDLE_DBC, m_dbc);
}

std::vector<ReadSheet> ReadWithXlrd(const fs::path& path) {
    const std::string output = RunBounded("/usr/bin/python3 '" VELANTO_WORKBOOK_READER "' '" + path.string() + "'");
    std::vector<ReadSheet> sheets;
    for (const std::string& line : Terminated(output, '\n')) {
        if (!line.empty() && line[0] == '\f') {
            sheets.push_back({line.substr(1), {}});
        } else if (!sheets.empty()) {
            sheets.back().rows.push_back(Split(line, '\t'));
        }
    }
    return sheets;
}

std::vector<ReadSheet> ReadWithXls2csv(const fs::path& path) {
    const std::string output = RunBounded("xls2csv -d utf-8 -q 0 -c '\t' -b '\f' '" + path.string() + "'");
    std::vector<ReadSheet> sheets;
    for (const std::string& page : Terminated(output, '\f')) {
        ReadSheet sheet;
        for (const std::string& line : Terminated(page, '\n')) {
            if (!line.empty()) {
                sheet.rows.push_back(Split(line, '\t'));
            }
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

}  // namespace velanto::testing
