#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

namespace velanto {

// Notifications of the serial link. The second parameter is always the port number; the first is the
// received byte (0 to 255) for WM_PORT_RXCHAR and 0 otherwise. WM_USER+3 and WM_USER+6 are not used.
// Windows' own header, when it comes first, has defined WM_USER and the EV_ bits below already, as macros
// of the same values.
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

// Port events that an event mask may enable.
#ifndef EV_RXCHAR
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;
#endif

// The window that receives the port's notifications.
class PortOwner {
public:
    virtual ~PortOwner() = default;
    // Delivers one notification and returns once the owner has handled it; returns at once, without the
    // owner handling it (now or later), when `stop` is requested before or while it waits.
    virtual void SendPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                 std::stop_token stop) = 0;
};

// The system-error box: no owner, title "Application Error", error icon, one OK button.
class SystemErrorBox {
public:
    virtual ~SystemErrorBox() = default;
    // Shows `text` and returns when the operator has dismissed it; returns at once (box not shown, or
    // closed) when `stop` is requested. Called on the owner's thread by OpenPort and on the monitor thread.
    virtual void ShowSystemError(const std::string& text, std::stop_token stop) = 0;
};

}  // namespace velanto
