#include "export/workbook_reader.h"

#include <freexl.h>

#include <cmath>
#include <memory>
#include <string>

#include "export/export_error.h"
#include "export/workbook_file_name.h"

namespace velanto {
namespace {

constexpr const char* kSheetName = "velanto";

struct WorkbookCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};
using WorkbookHandle = std::unique_ptr<const void, WorkbookCloser>;

[[noreturn]] void Refuse(const std::string& why) { throw FileError(why + "; this is no workbook of velanto's"); }

WorkbookHandle OpenWorkbook(const std::filesystem::path& file) {
    const void* handle = nullptr;
    if (freexl_open(WorkbookFileName(file).c_str(), &handle) != FREEXL_OK) {
        freexl_close(handle);
        Refuse("not an Excel 97-2003 workbook that can be read");
    }
    return WorkbookHandle(handle);
}

void SelectSheet(const void* workbook) {
    unsigned int sheets = 0;
    freexl_get_info(workbook, FREEXL_BIFF_SHEET_COUNT, &sheets);
    for (unsigned short sheet = 0; sheet < sheets; ++sheet) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(workbook, sheet, &name) == FREEXL_OK && name && std::string(name) == kSheetName &&
            freexl_select_active_worksheet(workbook, sheet) == FREEXL_OK) {
            return;
        }
    }
    Refuse(std::string("no sheet named \"") + kSheetName + "\"");
}

// A cell as text: text as it is, a whole number in digits, an empty cell empty.
std::string CellText(const void* workbook, unsigned int row, unsigned short column) {
    FreeXL_CellValue cell{};
    if (freexl_get_cell_value(workbook, row, column, &cell) != FREEXL_OK) {
        return {};
    }
    switch (cell.type) {
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT: return cell.value.text_value ? cell.value.text_value : "";
        case FREEXL_CELL_INT: return std::to_string(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            if (std::floor(cell.value.double_value) == cell.value.double_value) {
                return std::to_string(static_cast<long long>(cell.value.double_value));
            }
            return std::to_string(cell.value.double_value);
        default: return {};
    }
}

}  // namespace

MemoryRecordTable ReadWorkbook(const std::filesystem::path& file) {
    const WorkbookHandle workbook = OpenWorkbook(file);
    SelectSheet(workbook.get());
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(workbook.get(), &rows, &columns);
    if (rows == 0 || columns < kResultColumnCount) {
        Refuse("the sheet \"velanto\" has no heading row of the record list");
    }
    for (unsigned short column = 0; column < kResultColumnCount; ++column) {
        if (CellText(workbook.get(), 0, column) != kResultHeadings[column]) {
            Refuse("the sheet \"velanto\" has no heading row of the record list");
        }
    }
    MemoryRecordTable table;
    for (unsigned int row = 1; row < rows; ++row) {
        table.InsertRow(row - 1);
        for (unsigned short column = 0; column < kResultColumnCount; ++column) {
            table.SetCellText(row - 1, column, CellText(workbook.get(), row, column));
        }
    }
    return table;
}

}  // namespace velanto
