#pragma once

#include <cstdint>
#include <memory>

#include "serial/comm_port.h"
#include "serial/port_owner.h"

namespace velanto {

// The serial port as a transfer drives it: the detector's port, or a stand-in in tests. Called on the
// owner's thread only.
class SerialLink {
public:
    virtual ~SerialLink() = default;
    // Opens COM`portNumber` with the detector's line settings and starts its monitor, which tells `owner` of
    // each byte received. PortOpenFailure::None once open.
    virtual PortOpenFailure Open(int portNumber, PortOwner& owner) = 0;
    virtual void Send(std::uint8_t byte) = 0;
    // True while the line holds bytes that the owner has not been handed yet.
    virtual bool HasUnhandledInput() = 0;
    // Asks the monitor to end; returns at once. Destroying the link waits for it.
    virtual void SignalShutdown() = 0;
};

// The serial port itself, whose failed calls `errorBox` shows.
std::unique_ptr<SerialLink> MakeCommPortLink(SystemErrorBox& errorBox);

}  // namespace velanto
