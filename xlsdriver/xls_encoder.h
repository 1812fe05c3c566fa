#pragma once

#include "xlsdriver/byte_buffer.h"
#include "xlsdriver/workbook.h"

namespace velanto {

// The BIFF8 "Workbook" stream of `workbook`: the globals (code page, window, fonts, cell
// formats, the Normal style, the sheet list and the shared strings) and one worksheet per
// table with its dimensions, rows, text cells and window. A workbook without tables gets
// one empty worksheet "Sheet1", since a workbook needs at least one sheet to open.
ByteBuffer EncodeWorkbookStream(const Workbook& workbook);

// The whole .xls file: that stream inside a compound document.
ByteBuffer EncodeXlsFile(const Workbook& workbook);

}  // namespace velanto
