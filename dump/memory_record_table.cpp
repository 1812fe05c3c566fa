#include <algorithm>
#include <utility>

#include "dump/record_table.h"

namespace velanto {

MemoryRecordTable::MemoryRecordTable() : m_headings(kResultHeadings.begin(), kResultHeadings.end()) {}

MemoryRecordTable::MemoryRecordTable(std::vector<std::string> headings) : m_headings(std::move(headings)) {}

void MemoryRecordTable::InsertRow(std::size_t index) {
    const auto position = m_rows.begin() + static_cast<std::ptrdiff_t>(std::min(index, m_rows.size()));
    m_rows.emplace(position, m_headings.size());
}

void MemoryRecordTable::SetCellText(std::size_t row, std::size_t column, std::string_view text) {
    if (row < m_rows.size() && column < m_headings.size()) {
        m_rows[row][column].assign(text);
    }
}

void MemoryRecordTable::RemoveAllRows() { m_rows.clear(); }

std::size_t MemoryRecordTable::RowCount() const { return m_rows.size(); }

std::size_t MemoryRecordTable::ColumnCount() const { return m_headings.size(); }

std::string MemoryRecordTable::ColumnHeading(std::size_t column) const {
    return column < m_headings.size() ? m_headings[column] : std::string();
}

std::string MemoryRecordTable::CellText(std::size_t row, std::size_t column) const { return CellRef(row, column); }

const std::string& MemoryRecordTable::CellRef(std::size_t row, std::size_t column) const {
    static const std::string empty;
    if (row < m_rows.size() && column < m_headings.size()) {
        return m_rows[row][column];
    }
    return empty;
}

}  // namespace velanto
