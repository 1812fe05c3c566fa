#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "os/unique_descriptor.h"

namespace velanto {

// A new pseudo-terminal: this side plays the far end of a serial line, and a client opens Path() as its port.
// The object also holds the client's side open, raw, so that the line stays up while clients come and go.
class PseudoTerminal {
public:
    PseudoTerminal();  // throws std::system_error when the system gives no pseudo-terminal
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& Path() const { return m_path; }
    // This side, non-blocking.
    int Descriptor() const { return m_master.Get(); }
    // Bytes sent to the client that it has not read yet.
    std::size_t PendingForClient() const;
    // Closes the line: the client's side reports a hang-up.
    void HangUp();

private:
    UniqueDescriptor m_master;
    UniqueDescriptor m_clientSide;
    std::string m_path;
};

}  // namespace velanto
