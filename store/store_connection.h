#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velanto {

enum class StoreAccess { ReadWrite, ReadOnly };

// One prepared statement of a store's database, whichever kind: values bound by 1-based position to plain `?`
// parameters, rows read by 0-based column. Throws StoreError.
class StoreStatement {
public:
    virtual ~StoreStatement() = default;

    virtual StoreStatement& Bind(int index, std::int64_t value) = 0;
    virtual StoreStatement& Bind(int index, std::string_view text) = 0;
    virtual StoreStatement& BindBlob(int index, const void* bytes, std::size_t size) = 0;
    virtual StoreStatement& BindNull(int index) = 0;
    // Runs the statement on its first call after binding, then steps once: true while a row is there to read.
    virtual bool Step() = 0;
    // Runs the statement to its end and makes it ready to run again; how many rows it inserted, changed or
    // deleted.
    virtual std::int64_t Run() = 0;
    // Drops the rows left and the bound values.
    virtual void Reset() = 0;
    virtual std::int64_t Number(int column) const = 0;
    virtual bool IsNull(int column) const = 0;
    // The text of `column`, valid until the next Step or Reset.
    virtual std::string_view TextView(int column) const = 0;
    virtual std::string Blob(int column) const = 0;
    std::string Text(int column) const { return std::string(TextView(column)); }
};

// An open database holding a store: a SQLite file or a database on a server. Throws StoreError.
class StoreConnection {
public:
    virtual ~StoreConnection() = default;

    virtual std::unique_ptr<StoreStatement> Prepare(std::string_view sql) = 0;
    // Runs statements, separated by ';', that return no rows.
    virtual void Execute(const std::string& sql) = 0;
    // The first column of the first row of `sql`, a number; 0 without a row.
    std::int64_t QueryNumber(std::string_view sql) {
        const std::unique_ptr<StoreStatement> query = Prepare(sql);
        return query->Step() ? query->Number(0) : 0;
    }

private:
    friend class StoreTransaction;
    // Begins a transaction that holds the database for writing until it ends.
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    // Never throws: it runs while an error unwinds.
    virtual void Rollback() noexcept = 0;
};

// A transaction that is rolled back unless committed.
class StoreTransaction {
public:
    explicit StoreTransaction(StoreConnection& connection) : m_connection(connection) { m_connection.Begin(); }
    ~StoreTransaction() {
        if (m_open) {
            m_connection.Rollback();
        }
    }
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;
    void Commit() {
        m_connection.Commit();
        m_open = false;
    }

private:
    StoreConnection& m_connection;
    bool m_open = true;
};

}  // namespace velanto
