#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velanto {

// Number of cells in a result row and the headings of the record list, in column order.
inline constexpr std::size_t kResultColumnCount = 10;
inline constexpr std::array<std::string_view, kResultColumnCount> kResultHeadings = {
    "0ID", "1TESTNO", "2Date", "3Hour", "4Prog", "5Result", "6RLU", "7Lower", "8Upper", "9remark"};

// The record list: the one store of decoded results. The decoder writes it, the
// dialog shows it and the exports read it back as text.
class RecordTable {
public:
    virtual ~RecordTable() = default;

    // Inserts a row whose cells are all empty before the row now at `index`
    // (at the end when `index` equals the row count).
    virtual void InsertRow(std::size_t index) = 0;
    virtual void SetCellText(std::size_t row, std::size_t column, std::string_view text) = 0;
    virtual void RemoveAllRows() = 0;

    virtual std::size_t RowCount() const = 0;
    virtual std::size_t ColumnCount() const = 0;
    virtual std::string ColumnHeading(std::size_t column) const = 0;
    // Empty for a cell that was never set or lies outside the table.
    virtual std::string CellText(std::size_t row, std::size_t column) const = 0;
};

// The record list held in memory, with the ten result headings unless told otherwise.
class MemoryRecordTable final : public RecordTable {
public:
    MemoryRecordTable();
    explicit MemoryRecordTable(std::vector<std::string> headings);

    void InsertRow(std::size_t index) override;
    void SetCellText(std::size_t row, std::size_t column, std::string_view text) override;
    void RemoveAllRows() override;

    std::size_t RowCount() const override;
    std::size_t ColumnCount() const override;
    std::string ColumnHeading(std::size_t column) const override;
    std::string CellText(std::size_t row, std::size_t column) const override;

    // Direct read access for views that draw cells on demand.
    const std::string& CellRef(std::size_t row, std::size_t column) const;

private:
    std::vector<std::string> m_headings;
    std::vector<std::vector<std::string>> m_rows;
};

}  // namespace velanto
