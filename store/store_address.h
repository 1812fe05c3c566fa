#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velanto {

// Where a store lives: a SQLite file, or a database on a server reached through ODBC.
struct StoreAddress {
    std::filesystem::path file;             // when on no server
    std::optional<std::string> connection;  // the ODBC connection string, e.g. "DSN=records" or
                                            // "Driver={PostgreSQL Unicode};Server=host;Database=records;UID=lab"
    StoreAddress() = default;
    StoreAddress(std::filesystem::path path) : file(std::move(path)) {}  // a file, as before servers
    bool OnServer() const { return connection.has_value(); }
};

// The store a --database argument or the window's Open names, in UTF-8: "odbc:" and a connection string, or
// a file's path.
StoreAddress StoreAddressOf(std::string_view text);
// The text StoreAddressOf reads back, without any password (PWD=...; Password=...): what settings keep and
// what messages and titles show.
std::string ShownAddressOf(const StoreAddress& address);
// Whether the connection string carries a password of its own.
bool HasPassword(const StoreAddress& address);
// The address with `password` given to the server (as PWD), replacing any the string holds.
StoreAddress WithPassword(StoreAddress address, std::string_view password);

}  // namespace velanto
