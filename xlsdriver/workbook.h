#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velanto {

// What an Excel 97-2003 worksheet can hold.
inline constexpr std::size_t kMaxSheetRows = 65536;
inline constexpr std::size_t kMaxSheetColumns = 256;
inline constexpr std::size_t kMaxCellCharacters = 32767;  // in UTF-16 units, as the file counts them
inline constexpr std::size_t kMaxSheetNameCharacters = 31;

// One table: a worksheet whose columns have names. Every cell holds UTF-8 text; an
// empty text is an empty cell.
class Worksheet {
public:
    Worksheet(std::string name, std::vector<std::string> columnNames, bool namesInFirstRow);

    const std::string& Name() const { return m_name; }
    const std::vector<std::string>& ColumnNames() const { return m_columnNames; }
    // The rows as the sheet shows them, the names row first when there is one.
    const std::vector<std::vector<std::string>>& Rows() const { return m_rows; }

    // The column called `name` (ASCII letters in any case), or npos.
    std::size_t FindColumn(std::string_view name) const;
    // Adds a row of exactly one text per column below the last. Throws DriverError when
    // the sheet is full or a text is not UTF-8 or too long for a cell; nothing changes then.
    void AppendRow(std::vector<std::string> cells);

private:
    std::string m_name;
    std::vector<std::string> m_columnNames;
    std::vector<std::vector<std::string>> m_rows;
};

// The tables of one workbook in the order of their worksheets.
class Workbook {
public:
    explicit Workbook(bool namesInFirstRow) : m_namesInFirstRow(namesInFirstRow) {}

    const std::vector<Worksheet>& Sheets() const { return m_sheets; }

    // Throws DriverError for a name already taken (ASCII letters in any case), a name or a
    // column list that the format cannot hold, or a column name given twice.
    void CreateSheet(std::string name, std::vector<std::string> columnNames);
    // Throws DriverError when there is no such sheet.
    void DropSheet(std::string_view name);
    Worksheet& Sheet(std::string_view name);

private:
    std::vector<Worksheet>::iterator FindSheet(std::string_view name);

    bool m_namesInFirstRow;
    std::vector<Worksheet> m_sheets;
};

// Equal texts when ASCII letters are compared without regard to case, as sheet and column names are.
bool SameName(std::string_view a, std::string_view b);

}  // namespace velanto
