#include "store/odbc_connection.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

#include "store/store_error.h"

namespace velanto {

// An ODBC handle of `type`, freed with its object.
template <SQLSMALLINT type>
struct OdbcHandleFreer {
    void operator()(SQLHANDLE handle) const { SQLFreeHandle(type, handle); }
};
template <SQLSMALLINT type>
using OdbcHandle = std::unique_ptr<void, OdbcHandleFreer<type>>;

namespace {

bool Succeeded(SQLRETURN code) { return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO; }

// The driver's diagnostics of a failed call, and whether they tell of a lost connection or a wanted password.
struct OdbcDiagnosis {
    std::string text;
    StoreError::Cause cause = StoreError::Cause::Other;
};

// `loggingIn` while connecting, when a word of a password tells a refused log-in.
OdbcDiagnosis Diagnose(SQLSMALLINT type, SQLHANDLE handle, bool loggingIn) {
    OdbcDiagnosis diagnosis;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLCHAR message[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!Succeeded(SQLGetDiagRec(type, handle, record, state, &native, message, sizeof message, &length))) {
            break;
        }
        const std::string_view code(reinterpret_cast<const char*>(state));
        std::string words(reinterpret_cast<const char*>(message));
        words.erase(words.find_last_not_of(" \r\n") + 1);
        std::replace_if(  // psqlODBC's messages run over lines
            words.begin(), words.end(), [](char c) { return c == '\n' || c == '\t'; }, ' ');
        diagnosis.text += (diagnosis.text.empty() ? "" : "; ") + words;
        // Class 28 is the server's refusal of the log-in; psqlODBC reports a missing password under 08001.
        if (code.starts_with("28") || (loggingIn && words.find("password") != std::string::npos)) {
            diagnosis.cause = StoreError::Cause::PasswordNeeded;
        } else if (diagnosis.cause == StoreError::Cause::Other &&
                   (code.starts_with("08") || code == "57P01" || code == "HYT01")) {
            diagnosis.cause = StoreError::Cause::ConnectionLost;
        }
    }
    return diagnosis.text.empty() ? OdbcDiagnosis{"the driver gave no reason", diagnosis.cause} : diagnosis;
}

// The type in which a column is read: numbers as 64-bit integers, bytes as they are, the rest as text.
SQLSMALLINT ReadingTypeOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_BIGINT:
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_TINYINT:
        case SQL_BIT: return SQL_C_SBIGINT;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY: return SQL_C_BINARY;
        default: return SQL_C_CHAR;
    }
}

}  // namespace

struct OdbcConnection::Handles {
    std::string shown;
    OdbcHandle<SQL_HANDLE_ENV> environment;
    OdbcHandle<SQL_HANDLE_DBC> connection;
    bool connected = false;

    // Throws StoreError with what the driver said of `handle` unless `code` is a success.
    void Check(SQLRETURN code, SQLSMALLINT type, SQLHANDLE handle) const {
        if (Succeeded(code) || code == SQL_NO_DATA) {
            return;
        }
        OdbcDiagnosis diagnosis = Diagnose(type, handle, !connected);
        if (diagnosis.cause == StoreError::Cause::Other && connected && ConnectionDead()) {
            diagnosis.cause = StoreError::Cause::ConnectionLost;
        }
        switch (diagnosis.cause) {
            case StoreError::Cause::ConnectionLost:
                throw StoreError("the connection to the store on " + shown +
                                     " was lost; nothing of the unfinished change was kept (" + diagnosis.text + ")",
                                 0, diagnosis.cause);
            case StoreError::Cause::PasswordNeeded:
                throw StoreError("the server of " + shown + " refused the log-in: " + diagnosis.text, 0,
                                 diagnosis.cause);
            default: throw StoreError("the store on " + shown + ": " + diagnosis.text);
        }
    }
    bool ConnectionDead() const {
        SQLUINTEGER dead = SQL_CD_FALSE;
        return Succeeded(SQLGetConnectAttr(connection.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
               dead == SQL_CD_TRUE;
    }
    void SetAutocommit(bool on) const {
        Check(SQLSetConnectAttr(connection.get(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0),
              SQL_HANDLE_DBC, connection.get());
    }
};

namespace {

// One value bound to a parameter, kept until the statement has run.
struct BoundParameter {
    SQLSMALLINT valueType = SQL_C_CHAR;
    SQLSMALLINT parameterType = SQL_VARCHAR;
    std::int64_t number = 0;
    std::string bytes;
    SQLLEN indicator = SQL_NULL_DATA;
};

// One column of the row read last.
struct ResultColumn {
    SQLSMALLINT readingType = SQL_C_CHAR;
    bool null = true;
    std::int64_t number = 0;
    std::string bytes;
};

class OdbcStatement final : public StoreStatement {
public:
    OdbcStatement(const OdbcConnection::Handles& handles, std::string_view sql) : m_handles(handles) {
        SQLHANDLE statement = SQL_NULL_HANDLE;
        m_handles.Check(SQLAllocHandle(SQL_HANDLE_STMT, m_handles.connection.get(), &statement), SQL_HANDLE_DBC,
                        m_handles.connection.get());
        m_statement.reset(statement);
        const std::string text(sql);
        Check(SQLPrepare(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS));
    }

    OdbcStatement& Bind(int index, std::int64_t value) override {
        BoundParameter& parameter = At(index);
        parameter = {SQL_C_SBIGINT, SQL_BIGINT, value, {}, 0};
        return *this;
    }
    OdbcStatement& Bind(int index, std::string_view text) override {
        BoundParameter& parameter = At(index);
        parameter = {SQL_C_CHAR, SQL_VARCHAR, 0, std::string(text), static_cast<SQLLEN>(text.size())};
        return *this;
    }
    OdbcStatement& BindBlob(int index, const void* bytes, std::size_t size) override {
        BoundParameter& parameter = At(index);
        parameter = {SQL_C_BINARY, SQL_VARBINARY, 0, std::string(static_cast<const char*>(bytes), size),
                     static_cast<SQLLEN>(size)};
        return *this;
    }
    OdbcStatement& BindNull(int index) override {
        At(index) = BoundParameter{};
        return *this;
    }

    bool Step() override {
        if (!m_executed) {
            ExecuteBound();
        }
        if (m_columns.empty()) {
            return false;
        }
        const SQLRETURN code = SQLFetch(m_statement.get());
        if (code == SQL_NO_DATA) {
            return false;
        }
        Check(code);
        for (std::size_t column = 0; column < m_columns.size(); ++column) {
            ReadColumn(static_cast<SQLUSMALLINT>(column + 1), m_columns[column]);
        }
        return true;
    }

    std::int64_t Run() override {
        ExecuteBound();
        SQLLEN rows = 0;
        Check(SQLRowCount(m_statement.get(), &rows));
        Reset();
        return rows < 0 ? 0 : rows;
    }

    void Reset() override {
        SQLFreeStmt(m_statement.get(), SQL_CLOSE);
        m_executed = false;
        m_columns.clear();
        for (BoundParameter& parameter : m_parameters) {
            parameter = BoundParameter{};
        }
    }

    std::int64_t Number(int column) const override {
        const ResultColumn& value = m_columns.at(static_cast<std::size_t>(column));
        if (value.readingType == SQL_C_SBIGINT) {
            return value.number;
        }
        std::int64_t number = 0;
        std::from_chars(value.bytes.data(), value.bytes.data() + value.bytes.size(), number);
        return number;
    }
    bool IsNull(int column) const override { return m_columns.at(static_cast<std::size_t>(column)).null; }
    std::string_view TextView(int column) const override {
        const ResultColumn& value = m_columns.at(static_cast<std::size_t>(column));
        if (value.readingType == SQL_C_SBIGINT && !value.null) {
            m_numberText = std::to_string(value.number);
            return m_numberText;
        }
        return value.bytes;
    }
    std::string Blob(int column) const override { return std::string(TextView(column)); }

private:
    BoundParameter& At(int index) {
        const auto position = static_cast<std::size_t>(index);
        if (m_parameters.size() < position) {
            m_parameters.resize(position);
        }
        return m_parameters[position - 1];
    }

    void Check(SQLRETURN code) const { m_handles.Check(code, SQL_HANDLE_STMT, m_statement.get()); }

    // Binds the values given, runs the statement and learns the columns of its rows.
    void ExecuteBound() {
        SQLFreeStmt(m_statement.get(), SQL_CLOSE);
        for (std::size_t k = 0; k < m_parameters.size(); ++k) {
            BoundParameter& p = m_parameters[k];
            const bool number = p.valueType == SQL_C_SBIGINT;
            void* value = number ? static_cast<void*>(&p.number) : static_cast<void*>(p.bytes.data());
            const SQLULEN size = number ? 19 : std::max<SQLULEN>(p.bytes.size(), 1);
            Check(SQLBindParameter(m_statement.get(), static_cast<SQLUSMALLINT>(k + 1), SQL_PARAM_INPUT, p.valueType,
                                   p.parameterType, size, 0, value, static_cast<SQLLEN>(p.bytes.size()), &p.indicator));
        }
        Check(SQLExecute(m_statement.get()));
        m_executed = true;
        SQLSMALLINT columns = 0;
        Check(SQLNumResultCols(m_statement.get(), &columns));
        m_columns.assign(static_cast<std::size_t>(columns), ResultColumn{});
        for (SQLSMALLINT column = 0; column < columns; ++column) {
            SQLSMALLINT type = SQL_VARCHAR;
            Check(SQLDescribeCol(m_statement.get(), static_cast<SQLUSMALLINT>(column + 1), nullptr, 0, nullptr, &type,
                                 nullptr, nullptr, nullptr));
            m_columns[static_cast<std::size_t>(column)].readingType = ReadingTypeOf(type);
        }
    }

    void ReadColumn(SQLUSMALLINT column, ResultColumn& value) {
        value.bytes.clear();
        value.null = false;
        SQLLEN indicator = 0;
        if (value.readingType == SQL_C_SBIGINT) {
            Check(SQLGetData(m_statement.get(), column, SQL_C_SBIGINT, &value.number, 0, &indicator));
            value.null = indicator == SQL_NULL_DATA;
            return;
        }
        // Read in pieces: the driver says how much is left, or only that more is, and ends text with a NUL.
        const SQLLEN terminator = value.readingType == SQL_C_CHAR ? 1 : 0;
        char piece[4096];
        for (;;) {
            const SQLRETURN code =
                SQLGetData(m_statement.get(), column, value.readingType, piece, sizeof piece, &indicator);
            if (code == SQL_NO_DATA) {
                return;
            }
            Check(code);
            if (indicator == SQL_NULL_DATA) {
                value.null = true;
                return;
            }
            const SQLLEN room = static_cast<SQLLEN>(sizeof piece) - terminator;
            value.bytes.append(
                piece, static_cast<std::size_t>(indicator == SQL_NO_TOTAL || indicator > room ? room : indicator));
            if (code == SQL_SUCCESS) {
                return;
            }
        }
    }

    const OdbcConnection::Handles& m_handles;
    OdbcHandle<SQL_HANDLE_STMT> m_statement;
    std::vector<BoundParameter> m_parameters;
    std::vector<ResultColumn> m_columns;
    bool m_executed = false;
    mutable std::string m_numberText;
};

// The statements of `sql`, split at its semicolons; the store's own scripts hold none inside a string.
std::vector<std::string> StatementsOf(const std::string& sql) {
    std::vector<std::string> statements;
    std::size_t start = 0;
    while (start < sql.size()) {
        const std::size_t end = std::min(sql.find(';', start), sql.size());
        const std::string statement = sql.substr(start, end - start);
        if (statement.find_first_not_of(" \t\r\n") != std::string::npos) {
            statements.push_back(statement);
        }
        start = end + 1;
    }
    return statements;
}

}  // namespace

OdbcConnection::OdbcConnection(const std::string& connection, std::string shown)
    : m_handles(std::make_unique<Handles>()) {
    Handles& h = *m_handles;
    h.shown = std::move(shown);
    SQLHANDLE environment = SQL_NULL_HANDLE;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) {
        throw StoreError("the store on " + h.shown + ": the ODBC driver manager cannot be used");
    }
    h.environment.reset(environment);
    h.Check(SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
            SQL_HANDLE_ENV, environment);
    SQLHANDLE link = SQL_NULL_HANDLE;
    h.Check(SQLAllocHandle(SQL_HANDLE_DBC, environment, &link), SQL_HANDLE_ENV, environment);
    h.connection.reset(link);
    SQLSetConnectAttr(link, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN{15}), 0);
    SQLSMALLINT length = 0;
    h.Check(SQLDriverConnect(link, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connection.c_str())), SQL_NTS,
                             nullptr, 0, &length, SQL_DRIVER_NOPROMPT),
            SQL_HANDLE_DBC, link);
    h.connected = true;
}

OdbcConnection::~OdbcConnection() {
    if (m_handles->connected) {
        SQLDisconnect(m_handles->connection.get());
    }
}

std::unique_ptr<StoreStatement> OdbcConnection::Prepare(std::string_view sql) {
    return std::make_unique<OdbcStatement>(*m_handles, sql);
}

void OdbcConnection::Execute(const std::string& sql) {
    for (const std::string& statement : StatementsOf(sql)) {
        Prepare(statement)->Run();
    }
}

void OdbcConnection::Begin() { m_handles->SetAutocommit(false); }

void OdbcConnection::Commit() {
    m_handles->Check(SQLEndTran(SQL_HANDLE_DBC, m_handles->connection.get(), SQL_COMMIT), SQL_HANDLE_DBC,
                     m_handles->connection.get());
    m_handles->SetAutocommit(true);
}

void OdbcConnection::Rollback() noexcept {
    SQLEndTran(SQL_HANDLE_DBC, m_handles->connection.get(), SQL_ROLLBACK);
    SQLSetConnectAttr(m_handles->connection.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                      0);
}

}  // namespace velanto
