#include <gtest/gtest.h>

#include "dump/record_table.h"

namespace velanto {
namespace {

TEST(MemoryRecordTable, HasTheTenResultHeadingsInOrder) {
    MemoryRecordTable table;
    ASSERT_EQ(table.ColumnCount(), 10u);
    EXPECT_EQ(table.ColumnHeading(0), "0ID");
    EXPECT_EQ(table.ColumnHeading(5), "5Result");
    EXPECT_EQ(table.ColumnHeading(9), "9remark");
    EXPECT_EQ(table.ColumnHeading(10), "");
}

TEST(MemoryRecordTable, InsertedRowsAreEmptyAndTakeTheirPlace) {
    MemoryRecordTable table;
    table.InsertRow(0);
    table.InsertRow(1);
    table.SetCellText(0, 0, "first");
    table.SetCellText(1, 0, "second");
    table.InsertRow(1);
    ASSERT_EQ(table.RowCount(), 3u);
    EXPECT_EQ(table.CellText(0, 0), "first");
    EXPECT_EQ(table.CellText(1, 0), "");
    EXPECT_EQ(table.CellText(2, 0), "second");
    table.InsertRow(99);  // past the end appends
    EXPECT_EQ(table.RowCount(), 4u);
}

TEST(MemoryRecordTable, CellsOutsideTheTableReadEmptyAndIgnoreWrites) {
    MemoryRecordTable table;
    table.InsertRow(0);
    table.SetCellText(0, 10, "x");
    table.SetCellText(1, 0, "x");
    EXPECT_EQ(table.CellText(0, 10), "");
    EXPECT_EQ(table.CellText(1, 0), "");
    table.RemoveAllRows();
    EXPECT_EQ(table.RowCount(), 0u);
    EXPECT_EQ(table.ColumnCount(), 10u);
}

}  // namespace
}  // namespace velanto
