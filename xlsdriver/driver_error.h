#pragma once

#include <stdexcept>
#include <string>

namespace velanto {

// A failure that the driver reports to the application as one diagnostic record:
// a five-character SQLSTATE and a message in plain words.
class DriverError : public std::runtime_error {
public:
    DriverError(std::string sqlstate, const std::string& message)
        : std::runtime_error(message), m_sqlstate(std::move(sqlstate)) {}

    const std::string& Sqlstate() const { return m_sqlstate; }

private:
    std::string m_sqlstate;
};

}  // namespace velanto
