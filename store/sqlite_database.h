#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/store_connection.h"
#include "store/store_error.h"

namespace velanto {

class SqliteStatement;

// One open SQLite database file, closed with its object.
class SqliteDatabase final : public StoreConnection {
public:
    using Access = StoreAccess;

    // Opens `file`; with ReadWrite it is made when absent. A WAL database in a folder that may not be written
    // to is opened for reading only, as SQLite cannot make its companion files there. Throws StoreError.
    SqliteDatabase(const std::filesystem::path& file, Access access);

    // Runs statements that return no rows. Throws StoreError.
    void Execute(const std::string& sql) override;
    // Puts the file in WAL mode, waiting as for any lock while another program holds the file.
    void UseWriteAheadLog();
    // Whether closing the file moves the pages of its WAL into it, as SQLite does by default.
    void CheckpointOnClose(bool checkpoint) {
        sqlite3_db_config(m_handle.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, checkpoint ? 0 : 1, nullptr);
    }
    std::unique_ptr<StoreStatement> Prepare(std::string_view sql) override;
    // Throws StoreError naming `what` unless `code` is one of the success codes.
    void Check(int code, std::string_view what) const;
    sqlite3* Handle() const { return m_handle.get(); }

private:
    // Takes the file for writing at once, so that two programs importing together wait on each other here
    // rather than fail when one of them comes to write.
    void Begin() override { Execute("BEGIN IMMEDIATE"); }
    void Commit() override { Execute("COMMIT"); }
    void Rollback() noexcept override { sqlite3_exec(m_handle.get(), "ROLLBACK", nullptr, nullptr, nullptr); }
    void Open(const std::string& name, int flags);
    bool NeedsWalFilesItCannotMake(const std::filesystem::path& file);

    struct Closer {
        void operator()(sqlite3* handle) const { sqlite3_close_v2(handle); }
    };
    std::unique_ptr<sqlite3, Closer> m_handle;
};

// One prepared statement with its bound values.
class SqliteStatement final : public StoreStatement {
public:
    SqliteStatement(const SqliteDatabase& database, sqlite3_stmt* handle) : m_database(&database), m_handle(handle) {}

    SqliteStatement& Bind(int index, std::int64_t value) override;
    SqliteStatement& Bind(int index, std::string_view text) override;
    SqliteStatement& BindBlob(int index, const void* bytes, std::size_t size) override;
    SqliteStatement& BindNull(int index) override;
    bool Step() override;
    std::int64_t Run() override;
    void Reset() override;
    std::int64_t Number(int column) const override { return sqlite3_column_int64(m_handle.get(), column); }
    bool IsNull(int column) const override { return sqlite3_column_type(m_handle.get(), column) == SQLITE_NULL; }
    std::string_view TextView(int column) const override;
    std::string Blob(int column) const override;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* handle) const { sqlite3_finalize(handle); }
    };
    const SqliteDatabase* m_database;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_handle;
};

}  // namespace velanto
