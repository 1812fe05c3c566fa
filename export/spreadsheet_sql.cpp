// The texts the spreadsheet export hands to the driver manager.

#include <cstdio>

#include "export/spreadsheet_export.h"

namespace velanto {
namespace {

// Cell text as an SQL string literal's contents.
void AppendLiteralText(std::string& sql, std::string_view text) {
    for (const char c : text) {
        sql += c;
        if (c == '\'') {
            sql += '\'';
        }
    }
}

// A value that the driver reads back as it is without quotes or braces: nothing that ends
// or encloses a value, and no white space at either end, which the driver would drop.
bool IsPlainValue(std::string_view value) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    return !value.empty() && value != "''" && value.find_first_of(";{}\"") == std::string_view::npos &&
           !isSpace(value.front()) && !isSpace(value.back());
}

// The value in braces, each '}' doubled: the driver reads back every character.
std::string Braced(std::string_view value) {
    std::string text = "{";
    for (const char c : value) {
        text += c;
        if (c == '}') {
            text += '}';
        }
    }
    return text + "}";
}

}  // namespace

bool ConnectionStringCanCarry(std::string_view path) { return path.find('\0') == std::string_view::npos; }

std::string ProposedSpreadsheetName(const std::tm& localTime) {
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d.xls", localTime.tm_year + 1900, localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return name;
}

std::string SpreadsheetConnectionString(std::string_view driver, std::string_view path) {
    std::string text = "DRIVER=" + Braced(driver) + ";DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;";
    if (IsPlainValue(path)) {
        return text.append("CREATE_DB=\"").append(path).append("\";DBQ=").append(path);
    }
    return text.append("CREATE_DB=").append(Braced(path)).append(";DBQ=").append(Braced(path));
}

std::string TableCreationSql(std::string_view table, const std::vector<std::string>& headings) {
    std::string sql = "CREATE TABLE ";
    sql.append(table).append(" ( ");
    for (std::size_t i = 0; i < headings.size(); ++i) {
        sql.append(i > 0 ? ", " : "").append(" ").append(headings[i]).append(" TEXT");
    }
    return sql.append(" ) ");
}

std::string RowInsertionSql(std::string_view table, const std::vector<std::string>& headings,
                            const std::vector<std::string>& cells) {
    std::string sql = "INSERT INTO ";
    sql.append(table).append(" (");
    for (std::size_t i = 0; i < headings.size(); ++i) {
        sql.append(i > 0 ? ", " : "").append(" ").append(headings[i]).append(" ");
    }
    sql.append(")").append(" VALUES(");
    for (std::size_t i = 0; i < cells.size(); ++i) {
        sql.append(i > 0 ? ", " : "").append(" '");
        AppendLiteralText(sql, cells[i]);
        sql.append("' ");
    }
    return sql.append(")");
}

}  // namespace velanto
