#pragma once

#include <ctime>
#include <string>

#include "dump/record_table.h"
#include "export/export_ui.h"

namespace velanto {

// The fixed second line of a text export (109 characters, CR LF follows).
inline constexpr const char* kTextHeadingLine =
    "identifier   Detect number   Date   Hour   Program number   Result   RLU   Lower limit   Upper limit   remark";

// "2007year03month15day09hour05minute00second" and CR LF, for a local time.
std::string TextTimeLine(const std::tm& localTime);

// The row's cells, each followed by five spaces, then CR LF; in code page 936.
std::string TextRowLine(const RecordTable& list, std::size_t row, std::size_t columns);

// Writes the record list into the first free name atp00.txt to atp99.txt of `folder` (made the
// current directory, and created when missing; of the current directory when `folder` is
// empty). Failures to create the file are told in a message box; a folder that cannot be
// entered, and a failing write, flush or close, throw FileError; the lines written before
// a failing write stay.
void SaveAsText(const RecordTable& list, const std::string& folder, ExportUi& ui);

}  // namespace velanto
