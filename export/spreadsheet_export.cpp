#include "export/spreadsheet_export.h"

#include <array>

#include "export/odbc_database.h"
#include "export/odbc_runtime.h"
#include "export/staged_file.h"
#include "os/file_system.h"
#include "os/path_folders.h"
#include "os/local_time.h"

namespace velanto {
namespace {

constexpr std::size_t kDriverListSize = 2000;
constexpr std::size_t kHeadingBufferSize = 100;

constexpr const char* kNoDriverMessage = "Excel is not install!";
constexpr const char* kCannotReplaceMessage = "覆盖文件时出错！";
constexpr const char* kSavedMessage = "Export file save to";

SaveFileRequest SpreadsheetSaveRequest(std::string proposedName) {
    return {"Export", std::move(proposedName), "xls", {{"Excel文件(*.xls)", "*.xls"}, {"所有文件 (*.*)", "*.*"}}};
}

// The column headings as the heading buffer holds them: cut to one less than its size.
std::vector<std::string> ReadHeadings(const RecordTable& list) {
    std::vector<std::string> headings;
    for (std::size_t column = 0; column < list.ColumnCount(); ++column) {
        headings.push_back(list.ColumnHeading(column).substr(0, kHeadingBufferSize - 1));
    }
    return headings;
}

std::vector<std::string> ReadRow(const RecordTable& list, std::size_t row, std::size_t columns) {
    std::vector<std::string> cells;
    for (std::size_t column = 0; column < columns; ++column) {
        cells.push_back(list.CellText(row, column));
    }
    return cells;
}

// Creates the table and inserts the rows through a connection of its own, closed at the end.
void WriteTable(OdbcRuntime& odbc, const std::string& connectionString, const RecordTable& list,
                const std::string& tableName) {
    OdbcDatabase database(odbc, connectionString);
    const std::vector<std::string> headings = ReadHeadings(list);
    database.ExecuteSql(TableCreationSql(tableName, headings));
    for (std::size_t row = 0; row < list.RowCount(); ++row) {  // the list may change while it is saved
        database.ExecuteSql(RowInsertionSql(tableName, headings, ReadRow(list, row, headings.size())));
    }
    database.Close();
}

// Whether a new file can take the place of the entry at `path`: it is no folder, nothing keeps
// it from being deleted, and its folder takes new names.
bool CanBeReplaced(const std::string& path) {
    return EntryAt(path) == EntryKind::Other && EntryMayBeReplaced(path) && FolderTakesNewEntries(FolderOf(path));
}

}  // namespace

OdbcRuntime& ProcessOdbc() {
    static OdbcRuntime odbc;
    return odbc;
}

void SaveAsSpreadsheet(const RecordTable& list, std::string tableName, ExportUi& ui) {
    SaveAsSpreadsheet(list, std::move(tableName), ui, ProcessOdbc());
}

void SaveAsSpreadsheet(const RecordTable& list, std::string tableName, ExportUi& ui, OdbcRuntime& odbc) {
    if (list.RowCount() == 0) {
        return;
    }
    const std::string driver = FindExcelDriver(odbc, ui);
    if (driver.empty()) {
        ui.ShowMessage(kNoDriverMessage);
        return;
    }
    std::string path;
    if (!PromptSpreadsheetPath(path, ui)) {
        return;
    }
    StagedFile workbook(path);
    WriteTable(odbc, SpreadsheetConnectionString(driver, workbook.Path()), list, tableName);
    workbook.ReplaceTarget();
    ui.ShowMessage(kSavedMessage + path + "!");
}

std::string FindExcelDriver(const InstalledDriversCall& installedDrivers) {
    std::array<char, kDriverListSize> list{};
    unsigned short length = 0;
    if (!installedDrivers(list.data(), static_cast<unsigned short>(list.size()), &length)) {
        return {};
    }
    // Names are read only within the buffer: one cut off at its end is no name.
    std::string_view rest(list.data(), list.size());
    for (std::size_t end; (end = rest.find('\0')) != 0 && end != std::string_view::npos; rest.remove_prefix(end + 1)) {
        const std::string_view name = rest.substr(0, end);
        if (name.find("Excel") != std::string_view::npos) {
            return std::string(name);
        }
    }
    return {};
}

std::string FindExcelDriver(OdbcRuntime& odbc, ExportUi& ui) {
    if (!odbc.Load(ui)) {
        return {};
    }
    const auto installedDrivers = odbc.Installer().getInstalledDrivers;
    return FindExcelDriver([installedDrivers](char* buffer, unsigned short capacity, unsigned short* length) {
        return installedDrivers(buffer, capacity, length) != 0;
    });
}

bool PromptSpreadsheetPath(std::string& targetPath, ExportUi& ui) {
    targetPath = ProposedSpreadsheetName(LocalTimeNow());
    std::optional<std::string> chosen = ui.AskSavePath(SpreadsheetSaveRequest(targetPath));
    if (!chosen) {
        return false;
    }
    targetPath = std::move(*chosen);
    if (!ConnectionStringCanCarry(targetPath)) {
        ui.ShowMessage("The path " + targetPath + " cannot be given to the ODBC driver: it holds a NUL character.");
        return false;
    }
    if (EnsurePathExists(targetPath) && !CanBeReplaced(targetPath)) {
        ui.ShowMessage(kCannotReplaceMessage);
        return false;
    }
    return true;
}

bool EnsurePathExists(const std::string& path) {
    CreateFolderChain(FolderOf(path));  // there already, or not allowed: the test below tells
    return EntryAt(path) != EntryKind::None;
}

}  // namespace velanto
