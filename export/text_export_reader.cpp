#include "export/text_export_reader.h"

#include <cctype>
#include <string>
#include <vector>

#include "export/export_error.h"
#include "export/text_export.h"

namespace velanto {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCellGap = "     ";

[[noreturn]] void Refuse(std::size_t line, const std::string& why) {
    throw FileError("line " + std::to_string(line) + ": " + why + "; this is no text export of velanto's");
}

// "2007year03month15day09hour05minute00second": digits where the time line has them.
bool IsTimeLine(std::string_view line) {
    constexpr std::string_view kShape = "DDDDyearDDmonthDDdayDDhourDDminuteDDsecond";
    if (line.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (kShape[i] == 'D' ? !digit : line[i] != kShape[i]) {
            return false;
        }
    }
    return true;
}

// The ten cells of a row line, each followed by the gap.
std::vector<std::string> RowCells(std::string_view line, std::size_t number) {
    std::vector<std::string> cells;
    while (!line.empty()) {
        const std::size_t gap = line.find(kCellGap);
        if (gap == std::string_view::npos) {
            Refuse(number, "a cell without the gap after it");
        }
        cells.emplace_back(line.substr(0, gap));
        line.remove_prefix(gap + kCellGap.size());
    }
    if (cells.size() != kResultColumnCount) {
        Refuse(number, std::to_string(cells.size()) + " cells instead of " + std::to_string(kResultColumnCount));
    }
    for (const std::string& cell : cells) {
        for (const char c : cell) {
            if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E) {
                Refuse(number, "a cell with a character that velanto never writes");
            }
        }
    }
    return cells;
}

}  // namespace

MemoryRecordTable ParseTextExport(std::string_view bytes) {
    MemoryRecordTable rows;
    std::size_t number = 0;
    while (!bytes.empty()) {
        ++number;
        const std::size_t end = bytes.find(kLineEnd);
        if (end == std::string_view::npos) {
            Refuse(number, "no CR LF at its end");
        }
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end + kLineEnd.size());
        if (number == 1 && !IsTimeLine(line)) {
            Refuse(number, "no time line");
        } else if (number == 2 && line != kTextHeadingLine) {
            Refuse(number, "no heading line");
        } else if (number > 2) {
            const std::vector<std::string> cells = RowCells(line, number);
            const std::size_t row = rows.RowCount();
            rows.InsertRow(row);
            for (std::size_t column = 0; column < cells.size(); ++column) {
                rows.SetCellText(row, column, cells[column]);
            }
        }
    }
    if (number < 2) {
        Refuse(number + 1, "the file ends before its heading");
    }
    return rows;
}

}  // namespace velanto
