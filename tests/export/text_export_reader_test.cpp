#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "dump/detector_dump.h"
#include "export/export_error.h"
#include "export/text_export.h"
#include "export/text_export_reader.h"

namespace velanto {
namespace {

// A text export's bytes as SaveAsText writes them.
std::string TextExportOf(const RecordTable& rows) {
    std::tm time{};
    time.tm_year = 124;
    time.tm_mon = 1;
    time.tm_mday = 29;
    std::string bytes = TextTimeLine(time) + kTextHeadingLine + "\r\n";
    for (std::size_t row = 0; row < rows.RowCount(); ++row) {
        bytes += TextRowLine(rows, row, rows.ColumnCount());
    }
    return bytes;
}

MemoryRecordTable SomeRows() {
    MemoryRecordTable rows;
    for (std::size_t row = 0; row < 3; ++row) {
        rows.InsertRow(row);
        for (std::size_t column = 0; column < 9; ++column) {
            rows.SetCellText(row, column, std::to_string(row * 10 + column));
        }
    }
    rows.SetCellText(1, 2, "20:;/13/01");  // a date past '9', as the decoder writes it
    return rows;
}

TEST(TextExportReader, ReadsBackEveryCellThatTheExportWrote) {
    const MemoryRecordTable written = SomeRows();
    const MemoryRecordTable read = ParseTextExport(TextExportOf(written));
    ASSERT_EQ(read.RowCount(), written.RowCount());
    for (std::size_t row = 0; row < read.RowCount(); ++row) {
        for (std::size_t column = 0; column < kResultColumnCount; ++column) {
            EXPECT_EQ(read.CellText(row, column), written.CellText(row, column)) << row << "," << column;
        }
    }
    EXPECT_EQ(ParseTextExport(TextExportOf(MemoryRecordTable())).RowCount(), 0u);
}

TEST(TextExportReader, RefusesWhatVelantoNeverWritesSayingWhere) {
    const std::string good = TextExportOf(SomeRows());
    const std::size_t thirdLine = good.find("\r\n", good.find("\r\n") + 2) + 2;
    struct Bad {
        std::string bytes;
        const char* where;
    };
    for (const Bad& bad : {Bad{"", "line 1: the file ends before its heading"},
                           Bad{"2024year02month29day00hour00minute00second\r\n", "line 2: the file ends"},
                           Bad{"identifier,test\r\n" + good.substr(good.find("\r\n") + 2), "line 1: no time line"},
                           Bad{good.substr(0, good.size() - 2), "line 5: no CR LF"},
                           Bad{good.substr(0, thirdLine) + "1     2     \r\n", "line 3: 2 cells instead of 10"},
                           Bad{good.substr(0, thirdLine) + "\xC4\xE3" + good.substr(thirdLine), "line 3: a cell"}}) {
        try {
            ParseTextExport(bad.bytes);
            ADD_FAILURE() << bad.where;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(bad.where, 0), 0u) << error.what();
        }
    }
}

}  // namespace
}  // namespace velanto
