#include "xlsdriver/workbook.h"

#include <algorithm>

#include "xlsdriver/driver_error.h"
#include "xlsdriver/utf8.h"

namespace velanto {
namespace {

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

void CheckCellText(std::string_view text) {
    const std::optional<std::size_t> length = Utf16Length(text);
    if (!length) {
        throw DriverError("22018", "a value is not UTF-8 text");
    }
    if (*length > kMaxCellCharacters) {
        throw DriverError("22001", "a value of " + std::to_string(*length) + " characters is longer than the " +
                                       std::to_string(kMaxCellCharacters) + " a cell can hold");
    }
}

void CheckSheetName(std::string_view name) {
    const std::optional<std::size_t> length = Utf16Length(name);
    if (!length) {
        throw DriverError("HY000", "the table name is not UTF-8 text");
    }
    if (*length == 0 || *length > kMaxSheetNameCharacters) {
        throw DriverError("HY000", "the table name " + Quoted(name) + " does not have 1 to " +
                                       std::to_string(kMaxSheetNameCharacters) + " characters, as a worksheet needs");
    }
    if (name.find_first_of("[]:*?/\\") != std::string_view::npos || name.front() == '\'' || name.back() == '\'') {
        throw DriverError("HY000", "the table name " + Quoted(name) +
                                       " cannot name a worksheet: it holds one of []:*?/\\ or begins or ends with '");
    }
}

void CheckColumnNames(const std::vector<std::string>& names) {
    if (names.empty() || names.size() > kMaxSheetColumns) {
        throw DriverError("HY000", "a table has 1 to " + std::to_string(kMaxSheetColumns) + " columns, not " +
                                       std::to_string(names.size()));
    }
    for (auto name = names.begin(); name != names.end(); ++name) {
        if (name->empty()) {
            throw DriverError("HY000", "a column name is empty");
        }
        CheckCellText(*name);
        const auto same = [&](const std::string& other) { return SameName(*name, other); };
        if (std::any_of(names.begin(), name, same)) {
            throw DriverError("42S21", "the column " + Quoted(*name) + " is named twice");
        }
    }
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

Worksheet::Worksheet(std::string name, std::vector<std::string> columnNames, bool namesInFirstRow)
    : m_name(std::move(name)), m_columnNames(std::move(columnNames)) {
    if (namesInFirstRow) {
        m_rows.push_back(m_columnNames);
    }
}

std::size_t Worksheet::FindColumn(std::string_view name) const {
    const auto found = std::find_if(m_columnNames.begin(), m_columnNames.end(),
                                    [&](const std::string& column) { return SameName(column, name); });
    return found == m_columnNames.end() ? std::string_view::npos
                                        : static_cast<std::size_t>(found - m_columnNames.begin());
}

void Worksheet::AppendRow(std::vector<std::string> cells) {
    if (cells.size() != m_columnNames.size()) {
        throw DriverError("21S01", "the table " + Quoted(m_name) + " has " + std::to_string(m_columnNames.size()) +
                                       " columns but " + std::to_string(cells.size()) + " values were given");
    }
    if (m_rows.size() >= kMaxSheetRows) {
        throw DriverError("HY000", "the table " + Quoted(m_name) + " is full: a worksheet holds " +
                                       std::to_string(kMaxSheetRows) + " rows");
    }
    std::for_each(cells.begin(), cells.end(), CheckCellText);
    m_rows.push_back(std::move(cells));
}

void Workbook::CreateSheet(std::string name, std::vector<std::string> columnNames) {
    CheckSheetName(name);
    if (FindSheet(name) != m_sheets.end()) {
        throw DriverError("42S01", "the table " + Quoted(name) + " already exists");
    }
    CheckColumnNames(columnNames);
    m_sheets.emplace_back(std::move(name), std::move(columnNames), m_namesInFirstRow);
}

void Workbook::DropSheet(std::string_view name) {
    const auto sheet = FindSheet(name);
    if (sheet == m_sheets.end()) {
        throw DriverError("42S02", "there is no table " + Quoted(name));
    }
    m_sheets.erase(sheet);
}

Worksheet& Workbook::Sheet(std::string_view name) {
    const auto sheet = FindSheet(name);
    if (sheet == m_sheets.end()) {
        throw DriverError("42S02", "there is no table " + Quoted(name));
    }
    return *sheet;
}

std::vector<Worksheet>::iterator Workbook::FindSheet(std::string_view name) {
    return std::find_if(m_sheets.begin(), m_sheets.end(),
                        [&](const Worksheet& sheet) { return SameName(sheet.Name(), name); });
}

}  // namespace velanto
