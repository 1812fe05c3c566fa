#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/store_error.h"

namespace velanto {

class SqliteStatement;

// One open SQLite database file, closed with its object.
class SqliteDatabase {
public:
    enum class Access { ReadWrite, ReadOnly };

    // Opens `file`; with ReadWrite it is made when absent. A WAL database in a folder that may not be written
    // to is opened for reading only, as SQLite cannot make its companion files there. Throws StoreError.
    SqliteDatabase(const std::filesystem::path& file, Access access);

    // Runs statements that return no rows. Throws StoreError.
    void Execute(const std::string& sql);
    // Puts the file in WAL mode, waiting as for any lock while another program holds the file.
    void UseWriteAheadLog();
    // Whether closing the file moves the pages of its WAL into it, as SQLite does by default.
    void CheckpointOnClose(bool checkpoint) {
        sqlite3_db_config(m_handle.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, checkpoint ? 0 : 1, nullptr);
    }
    SqliteStatement Prepare(std::string_view sql);
    // The first column of the first row of `sql`, a number.
    std::int64_t QueryNumber(const std::string& sql);
    std::int64_t LastInsertedRow() const { return sqlite3_last_insert_rowid(m_handle.get()); }
    int ChangedRows() const { return sqlite3_changes(m_handle.get()); }
    // Throws StoreError naming `what` unless `code` is one of the success codes.
    void Check(int code, std::string_view what) const;
    sqlite3* Handle() const { return m_handle.get(); }

private:
    void Open(const std::string& name, int flags);
    bool NeedsWalFilesItCannotMake(const std::filesystem::path& file);

    struct Closer {
        void operator()(sqlite3* handle) const { sqlite3_close_v2(handle); }
    };
    std::unique_ptr<sqlite3, Closer> m_handle;
};

// One prepared statement with its bound values.
class SqliteStatement {
public:
    SqliteStatement(const SqliteDatabase& database, sqlite3_stmt* handle) : m_database(&database), m_handle(handle) {}

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, std::string_view text);
    SqliteStatement& BindBlob(int index, const void* bytes, std::size_t size);
    SqliteStatement& BindNull(int index);
    // Steps once: true while a row is there to read.
    bool Step();
    // Steps to the end and makes the statement ready to run again.
    void Run();
    void Reset();
    std::int64_t Number(int column) const { return sqlite3_column_int64(m_handle.get(), column); }
    std::string Text(int column) const { return std::string(TextView(column)); }
    bool IsNull(int column) const { return sqlite3_column_type(m_handle.get(), column) == SQLITE_NULL; }
    // The text of `column`, valid until the next Step or Reset.
    std::string_view TextView(int column) const;
    std::string Blob(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* handle) const { sqlite3_finalize(handle); }
    };
    const SqliteDatabase* m_database;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_handle;
};

// A transaction that is rolled back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& database);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    void Commit();

private:
    SqliteDatabase& m_database;
    bool m_open = true;
};

}  // namespace velanto
