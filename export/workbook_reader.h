#pragma once

#include <filesystem>

#include "dump/record_table.h"

namespace velanto {

// The rows of an .xls workbook as velanto's spreadsheet export writes it: a sheet "velanto" whose first row
// holds the ten headings of the record list, then one row a record. Throws FileError saying why a file is
// no such workbook.
MemoryRecordTable ReadWorkbook(const std::filesystem::path& file);

}  // namespace velanto
