#pragma once

#include <stdexcept>
#include <string>

namespace velanto {

// A store that cannot do what was asked; what() says why, in words for the operator (never with a password).
class StoreError : public std::runtime_error {
public:
    // What the window does about it besides showing it.
    enum class Cause {
        Other,
        ConnectionLost,  // the server went away: what was shown stays, and reconnecting may help
        PasswordNeeded,  // the server refused the log-in for want of a (right) password: ask for one
    };

    explicit StoreError(const std::string& what, int sqliteCode = 0, Cause cause = Cause::Other)
        : std::runtime_error(what), m_sqliteCode(sqliteCode), m_cause(cause) {}
    // SQLite's primary result code when SQLite refused, else 0 (SQLITE_OK).
    int SqliteCode() const { return m_sqliteCode; }
    Cause Why() const { return m_cause; }

private:
    int m_sqliteCode;
    Cause m_cause;
};

}  // namespace velanto
