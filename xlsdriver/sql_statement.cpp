#include "xlsdriver/sql_statement.h"

#include <algorithm>
#include <array>

#include "xlsdriver/driver_error.h"
#include "xlsdriver/utf8.h"

namespace velanto {
namespace {

constexpr std::array<std::string_view, 38> kTypeNames = {
    "TEXT",   "CHAR",     "CHARACTER", "VARCHAR", "NCHAR",    "NVARCHAR", "NTEXT",  "LONGCHAR", "LONGTEXT", "MEMO",
    "STRING", "NOTE",     "INTEGER",   "INT",     "SMALLINT", "TINYINT",  "BIGINT", "BYTE",     "LONG",     "SHORT",
    "NUMBER", "NUMERIC",  "DECIMAL",   "DEC",     "FLOAT",    "REAL",     "DOUBLE", "CURRENCY", "MONEY",    "DATE",
    "TIME",   "DATETIME", "TIMESTAMP", "BIT",     "BOOLEAN",  "LOGICAL",  "YESNO",  "SINGLE"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_' || c == '$' || byte >= 0x80;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameWord(std::string_view word, std::string_view keyword) {
    return std::equal(word.begin(), word.end(), keyword.begin(), keyword.end(),
                      [](char a, char b) { return Upper(a) == Upper(b); });
}

// A cursor over the statement text that reads one piece of grammar at a time.
class SqlReader {
public:
    explicit SqlReader(std::string_view text) : m_text(text) {}

    // Takes `keyword` if it is the next word.
    bool TakeKeyword(std::string_view keyword) {
        SkipSpace();
        const std::string_view word = PeekWord();
        if (word.empty() || !SameWord(word, keyword)) {
            return false;
        }
        m_pos += word.size();
        return true;
    }
    void ExpectKeyword(std::string_view keyword) {
        if (!TakeKeyword(keyword)) {
            Fail(std::string(keyword));
        }
    }

    bool TakeMark(char mark) {
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == mark) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void ExpectMark(char mark) {
        if (!TakeMark(mark)) {
            Fail(std::string("\"") + mark + "\"");
        }
    }

    std::string ReadName(const char* what) {
        SkipSpace();
        if (m_pos >= m_text.size()) {
            Fail(what);
        }
        const char open = m_text[m_pos];
        if (open == '[' || open == '"' || open == '`') {
            const std::size_t start = m_pos;
            std::string name = ReadQuoted(open == '[' ? ']' : open);
            if (name.empty()) {
                FailAt(start, std::string(what) + " that is not empty");
            }
            return name;
        }
        const std::string_view word = PeekWord();
        if (word.empty()) {
            Fail(what);
        }
        m_pos += word.size();
        return std::string(word);
    }

    // A string literal, a number as written, or NULL (nothing).
    std::optional<std::string> ReadValue() {
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
            return ReadQuoted('\'');
        }
        if (const std::size_t length = NumberLength(); length > 0) {
            const std::string number(m_text.substr(m_pos, length));
            m_pos += length;
            return number;
        }
        if (TakeKeyword("NULL")) {
            return std::nullopt;
        }
        Fail("a value: a 'string', a number or NULL");
    }

    void ReadType() {
        SkipSpace();
        const std::string_view word = PeekWord();
        const bool known = std::any_of(kTypeNames.begin(), kTypeNames.end(),
                                       [&](std::string_view type) { return SameWord(word, type); });
        if (!known) {
            Fail("a column type such as TEXT");
        }
        m_pos += word.size();
        if (SameWord(word, "DOUBLE")) {
            TakeKeyword("PRECISION");
        }
        if (TakeMark('(')) {
            ReadDigits();
            if (TakeMark(',')) {
                ReadDigits();
            }
            ExpectMark(')');
        }
    }

    void ExpectEnd() {
        TakeMark(';');
        SkipSpace();
        if (m_pos != m_text.size()) {
            Fail("the end of the statement");
        }
    }

    [[noreturn]] void Fail(const std::string& expected) const { FailAt(SkipSpaceFrom(m_pos), expected); }

private:
    std::size_t SkipSpaceFrom(std::size_t pos) const {
        while (pos < m_text.size() && IsSpace(m_text[pos]))
            ++pos;
        return pos;
    }
    void SkipSpace() { m_pos = SkipSpaceFrom(m_pos); }

    std::string_view PeekWord() const {
        std::size_t end = m_pos;
        while (end < m_text.size() && IsNameCharacter(m_text[end]))
            ++end;
        return m_text.substr(m_pos, end - m_pos);
    }

    // Text between `open` at m_pos and `close`, a doubled `close` standing for one.
    std::string ReadQuoted(char close) {
        const std::size_t start = m_pos++;
        std::string text;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c != close) {
                text += c;
            } else if (m_pos < m_text.size() && m_text[m_pos] == close) {
                text += close;
                ++m_pos;
            } else {
                return text;
            }
        }
        FailAt(start, std::string("a closing ") + close + " for the one here");
    }

    // Length of [+-] digits [. digits] [E [+-] digits] at m_pos, or 0 when no number is there.
    std::size_t NumberLength() const {
        std::size_t end = m_pos;
        const auto digits = [&] {
            const std::size_t start = end;
            while (end < m_text.size() && IsDigit(m_text[end]))
                ++end;
            return end - start;
        };
        if (end < m_text.size() && (m_text[end] == '+' || m_text[end] == '-'))
            ++end;
        std::size_t mantissa = digits();
        if (end < m_text.size() && m_text[end] == '.') {
            ++end;
            mantissa += digits();
        }
        if (mantissa == 0) {
            return 0;
        }
        if (end < m_text.size() && Upper(m_text[end]) == 'E') {
            const std::size_t exponent = end;
            ++end;
            if (end < m_text.size() && (m_text[end] == '+' || m_text[end] == '-'))
                ++end;
            if (digits() == 0) {
                end = exponent;
            }
        }
        if (end < m_text.size() && IsNameCharacter(m_text[end])) {
            return 0;  // "12abc" is no number
        }
        return end - m_pos;
    }

    void ReadDigits() {
        SkipSpace();
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
            ++m_pos;
        if (m_pos == start) {
            Fail("a size in digits");
        }
    }

    [[noreturn]] void FailAt(std::size_t pos, const std::string& expected) const {
        // Positions count characters, not bytes, from 1.
        const std::size_t character = 1 + static_cast<std::size_t>(std::count_if(
                                              m_text.begin(), m_text.begin() + static_cast<std::ptrdiff_t>(pos),
                                              [](char c) { return !IsUtf8Continuation(c); }));
        std::string found = "the end of the statement";
        if (pos < m_text.size()) {
            std::size_t end = std::min(m_text.size(), pos + 20);
            while (end < m_text.size() && IsUtf8Continuation(m_text[end]))
                ++end;
            found = "\"" + std::string(m_text.substr(pos, end - pos)) + (end < m_text.size() ? "...\"" : "\"");
        }
        throw DriverError("42000", "syntax error at character " + std::to_string(character) + ": expected " + expected +
                                       ", found " + found);
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

CreateTableStatement ReadCreateTable(SqlReader& reader) {
    CreateTableStatement statement;
    reader.ExpectKeyword("TABLE");
    statement.table = reader.ReadName("a table name");
    reader.ExpectMark('(');
    do {
        statement.columns.push_back(reader.ReadName("a column name"));
        reader.ReadType();
    } while (reader.TakeMark(','));
    reader.ExpectMark(')');
    return statement;
}

InsertStatement ReadInsert(SqlReader& reader) {
    InsertStatement statement;
    reader.ExpectKeyword("INTO");
    statement.table = reader.ReadName("a table name");
    if (reader.TakeMark('(')) {
        statement.columns.emplace();
        do {
            statement.columns->push_back(reader.ReadName("a column name"));
        } while (reader.TakeMark(','));
        reader.ExpectMark(')');
    }
    reader.ExpectKeyword("VALUES");
    reader.ExpectMark('(');
    do {
        statement.values.push_back(reader.ReadValue());
    } while (reader.TakeMark(','));
    reader.ExpectMark(')');
    return statement;
}

}  // namespace

SqlStatement ParseSql(std::string_view text) {
    SqlReader reader(text);
    SqlStatement statement;
    if (reader.TakeKeyword("CREATE")) {
        statement = ReadCreateTable(reader);
    } else if (reader.TakeKeyword("INSERT")) {
        statement = ReadInsert(reader);
    } else if (reader.TakeKeyword("DROP")) {
        reader.ExpectKeyword("TABLE");
        statement = DropTableStatement{reader.ReadName("a table name")};
    } else {
        reader.Fail("CREATE TABLE, INSERT INTO or DROP TABLE");
    }
    reader.ExpectEnd();
    return statement;
}

}  // namespace velanto
