#pragma once

#include <string_view>

#include "dump/record_table.h"

namespace velanto {

// The rows of a text export as velanto writes it (atpNN.txt: a time line, the heading line, then one line
// a row of ten cells, each followed by five spaces, CR LF line ends). Throws FileError saying which line is
// not what velanto writes.
MemoryRecordTable ParseTextExport(std::string_view bytes);

}  // namespace velanto
