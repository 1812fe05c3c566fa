#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "store/store_connection.h"

namespace velanto {

// A database on a server reached through ODBC, with the driver's text in UTF-8. Throws StoreError, whose Why()
// tells a lost connection and a log-in that wants a password from other failures.
class OdbcConnection final : public StoreConnection {
public:
    // Connects with `connection`, an ODBC connection string, without prompting; `shown` names the server in
    // messages, without the password the string may hold.
    OdbcConnection(const std::string& connection, std::string shown);
    ~OdbcConnection() override;
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    std::unique_ptr<StoreStatement> Prepare(std::string_view sql) override;
    void Execute(const std::string& sql) override;

    struct Handles;  // the driver manager's handles, known to the .cpp only

private:
    void Begin() override;
    void Commit() override;
    void Rollback() noexcept override;

    std::unique_ptr<Handles> m_handles;
};

}  // namespace velanto
