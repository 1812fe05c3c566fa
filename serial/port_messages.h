#pragma once

#include <cstdint>
#include <stop_token>

#include "serial/port_owner.h"

namespace velanto {

// The window messages by which the serial link reports to a window. The second parameter is always the
// port number; the first is the received byte (0 to 255) for WM_PORT_RXCHAR and 0 otherwise. WM_USER+3 and
// WM_USER+6 are not used. Windows' own header, when it comes first, has defined WM_USER already.
#ifndef WM_USER
inline constexpr unsigned WM_USER = 0x0400;
#endif
inline constexpr unsigned WM_PORT_BREAK = WM_USER + 1;
inline constexpr unsigned WM_PORT_CTS = WM_USER + 2;
inline constexpr unsigned WM_PORT_ERR = WM_USER + 4;
inline constexpr unsigned WM_PORT_RING = WM_USER + 5;
inline constexpr unsigned WM_PORT_RXCHAR = WM_USER + 7;
inline constexpr unsigned WM_PORT_RXFLAG = WM_USER + 8;
inline constexpr unsigned WM_PORT_TXEMPTY = WM_USER + 9;

// The message that tells of `event`.
unsigned PortMessageFor(LineEvent event);

// An owner that takes the port's calls as those window messages.
class PortMessageOwner : public PortOwner {
public:
    void OnPortByte(int portNumber, std::uint8_t byte, std::stop_token stop) final {
        SendPortMessage(WM_PORT_RXCHAR, byte, portNumber, stop);
    }
    void OnLineEvent(int portNumber, LineEvent event, std::stop_token stop) final {
        SendPortMessage(PortMessageFor(event), 0, portNumber, stop);
    }

protected:
    virtual void SendPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                 std::stop_token stop) = 0;
};

}  // namespace velanto
