#include "xlsdriver/workbook_connection.h"

#include <system_error>

#include "xlsdriver/driver_error.h"
#include "xlsdriver/file_replace.h"
#include "xlsdriver/xls_encoder.h"

namespace velanto {
namespace {

[[noreturn]] void RefuseExisting(const std::filesystem::path& path) {
    throw DriverError("08001", "the workbook " + path.string() +
                                   " exists already; the driver only writes new workbooks, never one it cannot read");
}

// Writes an empty workbook where no file is yet.
void CreateEmptyWorkbook(const std::filesystem::path& path, bool firstRowHasNames) {
    try {
        WriteFileWhole(path, EncodeXlsFile(Workbook(firstRowHasNames)), Placement::kCreateNew);
    } catch (const std::system_error& error) {
        if (error.code() == std::errc::file_exists) {
            RefuseExisting(path);
        }
        std::error_code ignored;
        if (error.code() == std::errc::no_such_file_or_directory &&
            !std::filesystem::exists(path.parent_path(), ignored)) {
            throw DriverError("08001", "cannot create the workbook " + path.string() + ": the folder " +
                                           path.parent_path().string() + " does not exist");
        }
        throw DriverError("08001", "cannot create the workbook " + path.string() + ": " + error.what());
    }
}

// Whether two paths name the same file, compared before either exists.
bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ignored;
    return std::filesystem::absolute(a, ignored).lexically_normal() ==
           std::filesystem::absolute(b, ignored).lexically_normal();
}

}  // namespace

WorkbookConnection::WorkbookConnection(const ConnectionOptions& options)
    : m_path(options.workbookPath.empty() ? options.createPath : options.workbookPath),
      m_readOnly(options.readOnly),
      m_workbook(options.firstRowHasNames) {
    if (m_path.empty()) {
        throw DriverError("08001", "the connection string names no workbook: DBQ (or CREATE_DB) is missing");
    }
    if (m_readOnly && !options.createPath.empty()) {
        throw DriverError("08001", "CREATE_DB cannot create a workbook on a read-only connection (READONLY=TRUE)");
    }
    // The tables go to CREATE_DB's new workbook, or to a DBQ that must not exist yet either.
    const bool creates = !options.createPath.empty();
    const bool tablesElsewhere = !creates || !SamePath(m_path, options.createPath);
    std::error_code ignored;  // a path that cannot be examined fails when it is created below
    if (tablesElsewhere && std::filesystem::exists(std::filesystem::symlink_status(m_path, ignored))) {
        RefuseExisting(m_path);
    }
    if (creates) {
        CreateEmptyWorkbook(options.createPath, options.firstRowHasNames);
    }
    if (tablesElsewhere && !m_readOnly) {
        try {
            CreateEmptyWorkbook(m_path, options.firstRowHasNames);
        } catch (const DriverError&) {
            if (creates) {
                std::filesystem::remove(options.createPath, ignored);  // a failed connect leaves nothing
            }
            throw;
        }
    }
}

WorkbookConnection::~WorkbookConnection() {
    try {
        Save();
    } catch (const std::exception&) {
        // Nobody is left to tell; the file keeps its last complete contents.
    }
}

long WorkbookConnection::Execute(const SqlStatement& statement) {
    if (m_readOnly) {
        throw DriverError("HY000", "the connection is read-only (READONLY=TRUE): the workbook cannot be changed");
    }
    long rows = 0;
    if (const auto* create = std::get_if<CreateTableStatement>(&statement)) {
        CreateTable(*create);
    } else if (const auto* insert = std::get_if<InsertStatement>(&statement)) {
        Insert(*insert);
        rows = 1;
    } else {
        m_workbook.DropSheet(std::get<DropTableStatement>(statement).table);
    }
    m_changed = true;
    m_saveFailed = false;
    return rows;
}

void WorkbookConnection::CreateTable(const CreateTableStatement& statement) {
    m_workbook.CreateSheet(statement.table, statement.columns);
}

void WorkbookConnection::Insert(const InsertStatement& statement) {
    Worksheet& sheet = m_workbook.Sheet(statement.table);
    const std::size_t columnCount = sheet.ColumnNames().size();
    const std::size_t namedCount = statement.columns ? statement.columns->size() : columnCount;
    if (statement.values.size() != namedCount) {
        throw DriverError("21S01", std::to_string(statement.values.size()) + " values were given for " +
                                       std::to_string(namedCount) + " columns of the table '" + sheet.Name() + "'");
    }
    std::vector<std::string> cells(columnCount);
    std::vector<bool> given(columnCount, false);
    for (std::size_t i = 0; i < statement.values.size(); ++i) {
        std::size_t column = i;
        if (statement.columns) {
            column = sheet.FindColumn((*statement.columns)[i]);
            if (column == std::string::npos) {
                throw DriverError("42S22",
                                  "the table '" + sheet.Name() + "' has no column '" + (*statement.columns)[i] + "'");
            }
            if (given[column]) {
                throw DriverError("42000", "the column '" + (*statement.columns)[i] + "' is given twice");
            }
        }
        given[column] = true;
        cells[column] = statement.values[i].value_or("");
    }
    sheet.AppendRow(std::move(cells));
}

void WorkbookConnection::Save() {
    if (!m_changed) {
        return;
    }
    try {
        WriteFileWhole(m_path, EncodeXlsFile(m_workbook), Placement::kReplace);
    } catch (const std::exception& error) {
        m_saveFailed = true;
        throw DriverError("HY000", "cannot write the workbook " + m_path.string() + ": " + error.what());
    }
    m_changed = false;
    m_saveFailed = false;
}

void WorkbookConnection::GiveUpUnsaved() {
    if (m_saveFailed) {
        m_changed = false;
    }
}

}  // namespace velanto
