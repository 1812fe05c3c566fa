#include "export/odbc_database.h"

#include <vector>

#include "export/export_error.h"

namespace velanto {
namespace {

constexpr SQLULEN kLoginTimeoutSeconds = 15;
constexpr SQLULEN kQueryTimeoutSeconds = 15;
constexpr SQLSMALLINT kCompletedStringSize = 512;
constexpr SQLSMALLINT kMaxDiagnosticRecords = 50;

SQLCHAR* SqlText(const std::string& text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())); }

// The messages of the handle's diagnostic records, one per line.
std::string DiagnosticText(const DriverManagerCalls& calls, SQLSMALLINT handleType, SQLHANDLE handle) {
    std::string text;
    std::vector<SQLCHAR> message(SQL_MAX_MESSAGE_LENGTH);
    for (SQLSMALLINT record = 1; record <= kMaxDiagnosticRecords; ++record) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1];
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        auto read = [&] {
            return calls.getDiagRec(handleType, handle, record, state, &native, message.data(),
                                    static_cast<SQLSMALLINT>(message.size()), &length);
        };
        SQLRETURN result = read();
        if (result == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<std::size_t>(length) + 1);  // the message was cut: read it whole
            result = read();
        }
        if (!SQL_SUCCEEDED(result)) {
            break;
        }
        if (!text.empty()) {
            text += '\n';
        }
        text += reinterpret_cast<const char*>(message.data());
    }
    return text;
}

// Reads every row of every result set the statement produced. velanto's own driver answers its
// statements with no result set, so it leaves at the first test; another .xls driver may answer a
// statement with result sets, which are read to the end before the statement is dropped.
SQLRETURN FetchToEnd(const DriverManagerCalls& calls, SQLHSTMT statement) {
    for (;;) {
        SQLSMALLINT columns = 0;
        SQLRETURN result = calls.numResultCols(statement, &columns);
        if (!SQL_SUCCEEDED(result) || columns == 0) {
            return result;
        }
        while (SQL_SUCCEEDED(result = calls.fetch(statement))) {
        }
        if (result != SQL_NO_DATA) {
            return result;
        }
        result = calls.moreResults(statement);
        if (result == SQL_NO_DATA) {
            return SQL_SUCCESS;
        }
        if (!SQL_SUCCEEDED(result)) {
            return result;
        }
    }
}

// A statement handle, dropped when it goes.
class Statement {
public:
    Statement(const DriverManagerCalls& calls, SQLHSTMT handle) : m_calls(calls), m_handle(handle) {}
    ~Statement() { m_calls.freeStmt(m_handle, SQL_DROP); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT Handle() const { return m_handle; }

private:
    const DriverManagerCalls& m_calls;
    SQLHSTMT m_handle;
};

}  // namespace

OdbcDatabase::OdbcDatabase(OdbcRuntime& odbc, const std::string& connectionString)
    : m_calls(odbc.DriverManager()), m_environment(odbc.Environment()) {
    if (!SQL_SUCCEEDED(m_calls.allocConnect(m_environment->Handle(), &m_connection))) {
        Fail(SQL_HANDLE_ENV, m_environment->Handle(), "SQLAllocConnect");
    }
    try {
        Connect(connectionString);
        CheckConformance();
    } catch (...) {
        Release();
        throw;
    }
}

OdbcDatabase::~OdbcDatabase() { Release(); }

void OdbcDatabase::Connect(const std::string& connectionString) {
    // A driver that cannot time out its login still connects.
    m_calls.setConnectOption(m_connection, SQL_LOGIN_TIMEOUT, kLoginTimeoutSeconds);
    SQLCHAR completed[kCompletedStringSize];
    SQLSMALLINT completedLength = 0;
    if (!SQL_SUCCEEDED(m_calls.driverConnect(m_connection, nullptr, SqlText(connectionString), SQL_NTS, completed,
                                             kCompletedStringSize, &completedLength, SQL_DRIVER_NOPROMPT))) {
        Fail(SQL_HANDLE_DBC, m_connection, "SQLDriverConnect");
    }
    m_connected = true;
}

void OdbcDatabase::CheckConformance() {
    SQLUSMALLINT level = 0;
    if (!SQL_SUCCEEDED(m_calls.getInfo(m_connection, SQL_ODBC_API_CONFORMANCE, &level, sizeof level, nullptr)) ||
        level < SQL_OAC_LEVEL1) {
        throw DatabaseError("The ODBC driver does not support ODBC API conformance level 1.");
    }
    if (!SQL_SUCCEEDED(m_calls.getInfo(m_connection, SQL_ODBC_SQL_CONFORMANCE, &level, sizeof level, nullptr))) {
        throw DatabaseError("The ODBC driver does not support the minimum SQL grammar.");
    }
}

void OdbcDatabase::ExecuteSql(const std::string& sql) {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(m_calls.allocStmt(m_connection, &handle))) {
        Fail(SQL_HANDLE_DBC, m_connection, "SQLAllocStmt");
    }
    Statement statement(m_calls, handle);
    if (!m_queryTimeoutRefused &&
        !SQL_SUCCEEDED(m_calls.setStmtOption(handle, SQL_QUERY_TIMEOUT, kQueryTimeoutSeconds))) {
        m_queryTimeoutRefused = true;  // the driver cannot time out statements: never ask again
    }
    SQLRETURN result = m_calls.execDirect(handle, SqlText(sql), SQL_NTS);
    if (SQL_SUCCEEDED(result)) {
        result = FetchToEnd(m_calls, handle);
    }
    if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA) {
        const std::string text = DiagnosticText(m_calls, SQL_HANDLE_STMT, handle);
        m_calls.cancel(handle);
        throw DatabaseError(text.empty() ? "SQLExecDirect failed; the ODBC driver gave no reason." : text);
    }
}

void OdbcDatabase::Close() {
    if (m_connected) {
        if (!SQL_SUCCEEDED(m_calls.disconnect(m_connection))) {
            Fail(SQL_HANDLE_DBC, m_connection, "SQLDisconnect");
        }
        m_connected = false;
    }
}

// Unwinding from an error already on its way: the connection goes whatever it held.
void OdbcDatabase::Release() {
    if (m_connected && !SQL_SUCCEEDED(m_calls.disconnect(m_connection))) {
        // The driver could not write what it holds and keeps the connection open: give that
        // up, or the driver manager refuses to free the connection.
        m_calls.transact(m_environment->Handle(), m_connection, SQL_ROLLBACK);
        m_calls.disconnect(m_connection);
    }
    m_connected = false;
    m_calls.freeConnect(m_connection);
}

void OdbcDatabase::Fail(SQLSMALLINT handleType, SQLHANDLE handle, const char* call) const {
    const std::string text = DiagnosticText(m_calls, handleType, handle);
    throw DatabaseError(text.empty() ? std::string(call) + " failed; the ODBC driver gave no reason." : text);
}

}  // namespace velanto
