#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dump/record_table.h"
#include "export/export_ui.h"

namespace velanto {

class OdbcRuntime;

// The process's ODBC driver manager and installer, loaded when an export first needs them.
OdbcRuntime& ProcessOdbc();

// Saves the record list as an .xls workbook through the installed ODBC spreadsheet driver,
// at a path the operator chooses; the rows become the table `tableName`. The driver writes
// a new file beside the target, which replaces the target only once the driver has closed
// it: until then the old file stays as it was. An empty list ends at once. Every outcome is
// told through `ui`, except failures from the connection on, which throw CommandError
// (DatabaseError with the driver's diagnostics) and leave the target untouched.
void SaveAsSpreadsheet(const RecordTable& list, std::string tableName, ExportUi& ui);
void SaveAsSpreadsheet(const RecordTable& list, std::string tableName, ExportUi& ui, OdbcRuntime& odbc);

// The installer's call that fills `buffer` with the names of the installed drivers, each
// ended by a NUL and the list by an empty name; false when the list cannot be had.
using InstalledDriversCall = std::function<bool(char* buffer, unsigned short capacity, unsigned short* length)>;

// The whole name of the first installed driver whose name holds "Excel" (in that case);
// empty when there is none or the list cannot be had.
std::string FindExcelDriver(const InstalledDriversCall& installedDrivers);
// The same through `odbc`, loading it first; when it cannot be loaded its loader has told
// the operator why, and the name is empty.
std::string FindExcelDriver(OdbcRuntime& odbc, ExportUi& ui);

// Asks for the target path in the save dialog, proposing the current local time as the name,
// and creates its missing folders. An existing entry there stays until the new workbook
// replaces it. False when the export is to end: the dialog was cancelled, or the path is one
// the driver cannot be given, or its entry cannot be replaced (each told before anything on
// disk changes).
bool PromptSpreadsheetPath(std::string& targetPath, ExportUi& ui);

// Creates the missing folders of a path that ends in a file name (never the file itself)
// and tells whether the path names an entry now, a link to nothing included.
bool EnsurePathExists(const std::string& path);

// The texts the export sends, built exactly as the driver is to receive them.

// "20070315090500.xls" for 15 March 2007, 09:05:00 local time.
std::string ProposedSpreadsheetName(const std::tm& localTime);
// The path goes in as it is, in braces when the driver would not read it back whole bare.
std::string SpreadsheetConnectionString(std::string_view driver, std::string_view path);
// False for a path no connection string can hold (one with a NUL character).
bool ConnectionStringCanCarry(std::string_view path);
// A TEXT column named after each heading.
std::string TableCreationSql(std::string_view table, const std::vector<std::string>& headings);
// One row, a quoted value for each heading; an apostrophe inside a cell is doubled.
std::string RowInsertionSql(std::string_view table, const std::vector<std::string>& headings,
                            const std::vector<std::string>& cells);

}  // namespace velanto
