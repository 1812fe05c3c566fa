#include "store/odbc_connection.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>
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

static_assert(sizeof(SQLWCHAR) == 2, "ODBC's wide text is UTF-16 on every system the store runs on");

// UTF-8 text as the bytes of its UTF-16 units in the machine's order, as SQL_C_WCHAR takes it; a broken
// sequence becomes U+FFFD.
std::string Utf16Of(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        char32_t point = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool whole = length > 0 && lead < 0xF5 && at + length <= utf8.size();
        for (std::size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[at + k]);
            whole = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!whole || point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            units += u'\uFFFD';
            ++at;
            continue;
        }
        if (point >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(point);
        }
        at += length;
    }
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

// The UTF-8 text of the bytes of UTF-16 units; a lone surrogate becomes U+FFFD.
std::string Utf8OfUtf16(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    std::string utf8;
    utf8.reserve(units.size());
    for (std::size_t at = 0; at < units.size(); ++at) {
        char32_t point = units[at];
        if (point >= 0xD800 && point <= 0xDBFF && at + 1 < units.size() && units[at + 1] >= 0xDC00 &&
            units[at + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (units[++at] - 0xDC00);
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = 0xFFFD;
        }
        if (point < 0x80) {
            utf8 += static_cast<char>(point);
        } else if (point < 0x800) {
            utf8 += {static_cast<char>(0xC0 | (point >> 6)), static_cast<char>(0x80 | (point & 0x3F))};
        } else if (point < 0x10000) {
            utf8 += {static_cast<char>(0xE0 | (point >> 12)), static_cast<char>(0x80 | ((point >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (point & 0x3F))};
        } else {
            utf8 += {static_cast<char>(0xF0 | (point >> 18)), static_cast<char>(0x80 | ((point >> 12) & 0x3F)),
                     static_cast<char>(0x80 | ((point >> 6) & 0x3F)), static_cast<char>(0x80 | (point & 0x3F))};
        }
    }
    return utf8;
}

// The type in which a column is read: numbers as 64-bit integers, bytes as they are, the rest as UTF-16 text,
// which drivers pass as it is, where narrow text goes through the code page of the system or its locale.
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
        default: return SQL_C_WCHAR;
    }
}

// psqlODBC reads a query's rows through a cursor, some thousands at a time, rather than all of them at once:
// a list of a million records then holds a few megabytes, not a gigabyte. A string that chooses for itself
// keeps its choice; other drivers pass over the words.
std::string ReadingInBatches(const std::string& connection) {
    std::string lowered(connection);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    if (lowered.find("usedeclarefetch") != std::string::npos) {
        return connection;
    }
    const bool ended = connection.empty() || connection.back() == ';';
    return connection + (ended ? "" : ";") + "UseDeclareFetch=1;Fetch=10000";
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
    SQLSMALLINT valueType = SQL_C_WCHAR;
    SQLSMALLINT parameterType = SQL_WVARCHAR;
    std::int64_t number = 0;
    std::string bytes;
    SQLLEN indicator = SQL_NULL_DATA;
};

// One column of the row read last.
struct ResultColumn {
    SQLSMALLINT readingType = SQL_C_WCHAR;
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
        std::string units = Utf16Of(text);
        const auto size = static_cast<SQLLEN>(units.size());
        parameter = {SQL_C_WCHAR, SQL_WVARCHAR, 0, std::move(units), size};
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
            // A column's size counts characters: UTF-16 units for text.
            const SQLULEN size =
                number ? 19 : std::max<SQLULEN>(p.bytes.size() / (p.valueType == SQL_C_WCHAR ? 2 : 1), 1);
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
        value.null = ReadPieces(column, value.readingType, value.bytes);
        if (value.readingType == SQL_C_WCHAR) {
            value.bytes = Utf8OfUtf16(value.bytes);
        }
    }

    // Reads a column of text or bytes into `bytes` in pieces: the driver says how much is left, or only that
    // more is, and ends text with a NUL character. True when the column is NULL.
    bool ReadPieces(SQLUSMALLINT column, SQLSMALLINT type, std::string& bytes) {
        const SQLLEN terminator = type == SQL_C_WCHAR ? 2 : 0;
        alignas(SQLWCHAR) char piece[4096];
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN code = SQLGetData(m_statement.get(), column, type, piece, sizeof piece, &indicator);
            if (code == SQL_NO_DATA) {
                return false;
            }
            Check(code);
            if (indicator == SQL_NULL_DATA) {
                return true;
            }
            const SQLLEN room = static_cast<SQLLEN>(sizeof piece) - terminator;
            bytes.append(piece,
                         static_cast<std::size_t>(indicator == SQL_NO_TOTAL || indicator > room ? room : indicator));
            if (code == SQL_SUCCESS) {
                return false;
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
    std::string batched = ReadingInBatches(connection);
    h.Check(SQLDriverConnect(link, nullptr, reinterpret_cast<SQLCHAR*>(batched.data()), SQL_NTS, nullptr, 0, &length,
                             SQL_DRIVER_NOPROMPT),
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
