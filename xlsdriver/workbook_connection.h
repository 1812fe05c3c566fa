#pragma once

#include <filesystem>

#include "xlsdriver/connection_string.h"
#include "xlsdriver/sql_statement.h"
#include "xlsdriver/workbook.h"

namespace velanto {

// One open workbook: the tables that the statements build in memory, written to the
// file whole when saved. The driver cannot read workbooks, so it only ever writes files
// that this connection created.
class WorkbookConnection {
public:
    // Creates the workbook file (empty) at connect time: at CREATE_DB, and at DBQ when that
    // names another file that does not exist yet; the tables go to DBQ (CREATE_DB when
    // there is no DBQ). A read-only connection creates nothing. Throws DriverError 08001
    // when no workbook is named, the folder is missing or not writable, or the workbook
    // exists already; a connection that fails creates no file.
    explicit WorkbookConnection(const ConnectionOptions& options);
    // Saves what was not saved yet; a failure here cannot be reported and is dropped.
    ~WorkbookConnection();
    WorkbookConnection(const WorkbookConnection&) = delete;
    WorkbookConnection& operator=(const WorkbookConnection&) = delete;

    // Runs one statement on the tables in memory and returns the number of rows it
    // added. A failing statement changes nothing and throws DriverError.
    long Execute(const SqlStatement& statement);

    // Writes the workbook if it changed since it was last written. Throws DriverError
    // HY000; the file is then as it was.
    void Save();

    // Right after a Save that failed, gives up what it could not write, so that the
    // connection can close without writing; the file keeps what it last held.
    void GiveUpUnsaved();

    const std::filesystem::path& Path() const { return m_path; }
    bool ReadOnly() const { return m_readOnly; }

private:
    void CreateTable(const CreateTableStatement& statement);
    void Insert(const InsertStatement& statement);

    std::filesystem::path m_path;
    bool m_readOnly;
    Workbook m_workbook;
    bool m_changed = false;
    bool m_saveFailed = false;  // the last Save failed and no statement ran since
};

}  // namespace velanto
