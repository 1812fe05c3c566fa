#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

namespace velanto {

// Port events that an event mask may enable. Windows' own header, when it comes first, has defined them
// already, as macros of the same values.
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

// What the line told, besides its bytes.
enum class LineEvent {
    Break,           // with EV_BREAK in the mask, after each wake by a port event
    ClearToSend,     // with EV_CTS, likewise
    LineError,       // with EV_ERR, likewise
    Ring,            // with EV_RING, likewise
    EventCharacter,  // with EV_RXFLAG, likewise
    WriteEnded,      // after every attempt to send the queued bytes, a failed one included
};

// Whom a port tells what it received. Each call returns once the owner has handled it; it returns at once,
// without the owner handling it (now or later), when `stop` is requested before or while it waits.
class PortOwner {
public:
    virtual ~PortOwner() = default;
    // One byte read from COM`portNumber`.
    virtual void OnPortByte(int portNumber, std::uint8_t byte, std::stop_token stop) = 0;
    virtual void OnLineEvent(int portNumber, LineEvent event, std::stop_token stop) = 0;
};

// The system-error box, which tells of a failed port call: no owner, title "Application Error", error icon,
// one OK button.
class SystemErrorBox {
public:
    virtual ~SystemErrorBox() = default;
    // Shows `text` and returns when the operator has dismissed it; returns at once (box not shown, or
    // closed) when `stop` is requested. Called on the owner's thread by OpenPort and on the monitor thread.
    virtual void ShowSystemError(const std::string& text, std::stop_token stop) = 0;
};

}  // namespace velanto
