#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/store_connection.h"

namespace velanto {

// What a database says of itself before the store writes anything to it.
struct StoreIdentity {
    bool empty = false;  // nothing in it yet: the store may make itself there
    bool ours = false;   // a records store, of any version
    std::int64_t version = 0;
};

// The column types that differ between SQLite and the database server.
struct ColumnTypes {
    std::string_view key;      // the table's own row number, given by the database
    std::string_view integer;  // 64 bits
    std::string_view text;     // compared and sorted byte by byte, as SQLite does, so both list alike
    std::string_view blob;
};

// The few things SQLite and the database server (PostgreSQL) do each their own way, each in one place; the
// store's other SQL is written once for both.
class SqlDialect {
public:
    virtual ~SqlDialect() = default;
    virtual const ColumnTypes& Types() const = 0;
    // Read before anything is written. Throws StoreError naming `name` when the database is no store at all.
    virtual StoreIdentity IdentityOf(StoreConnection& connection, std::string_view name) const = 0;
    // Marks the database as a records store of `version`, inside the transaction that brought it there.
    virtual void Stamp(StoreConnection& connection, std::int64_t version) const = 0;
    // Run first in the transaction that makes or updates the schema: another program doing the same waits
    // until it is done.
    virtual void HoldSchema(StoreConnection& connection) const = 0;
    // What the database finds wrong with itself, one line each.
    virtual std::vector<std::string> IntegrityProblems(StoreConnection& connection) const = 0;
};

const SqlDialect& SqliteDialect();
const SqlDialect& ServerDialect();

}  // namespace velanto
