#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "serial/line_settings.h"

namespace velanto {

// An open device as the platform layer knows it; nothing above that layer looks inside.
using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle kNoDevice = -1;

// What an event can be waited on by: a descriptor, or a handle of the system's own.
using WaitHandle = std::intptr_t;

// A system error code as the platform reports it: errno, or GetLastError() on Windows.
using SystemErrorCode = int;

// The calling thread's last system error code.
SystemErrorCode LastSystemError();
// The system's own text for `code`.
std::string SystemErrorText(SystemErrorCode code);
// True when a call failed only because it would have had to wait or was interrupted: trying it again later
// is all it needs.
bool IsTransientError(SystemErrorCode code);
// True when an open failed because the user may not open the device (rather than it being absent or held).
bool IsPermissionRefusal(SystemErrorCode code);
// The code a device that has gone (or that keeps reporting input it does not hold) is reported with.
SystemErrorCode DeviceLostError();

// The five millisecond limits of a port's reads and writes, for a platform whose calls wait by them.
struct CommTimeouts {
    std::uint32_t readIntervalTimeout = 0;
    std::uint32_t readTotalTimeoutMultiplier = 0;
    std::uint32_t readTotalTimeoutConstant = 0;
    std::uint32_t writeTotalTimeoutMultiplier = 0;
    std::uint32_t writeTotalTimeoutConstant = 0;
};

// Defined already, as macros of the same values, where Windows' own header comes first.
#ifndef RTS_CONTROL_ENABLE
inline constexpr std::uint32_t RTS_CONTROL_DISABLE = 0;
inline constexpr std::uint32_t RTS_CONTROL_ENABLE = 1;
#endif

// The device control block: the device's own block as read from it, and the settings that are written back
// over it.
struct DeviceControlBlock {
    // The rest of the device's block, in the platform's own form; only the platform layer reads it.
    alignas(8) std::array<unsigned char, 64> native{};
    LineSettings line;
    std::uint32_t rtsControl = RTS_CONTROL_DISABLE;
    char eventCharacter = '\0';  // its arrival raises EV_RXFLAG where the system watches for it
};

// Applies `line` onto `control`. Returns false, with the reason as the last system error, and changes nothing,
// when the line cannot take it.
bool ApplyLineSettings(const LineSettings& line, DeviceControlBlock& control);

// The device that "COM<n>" opens on this system: \\.\COM<n> on Windows; on POSIX systems the one the
// device map names (serial/device_map_posix.h). An empty path for a name that is not COM followed by a
// number from 1.
std::filesystem::path DevicePathFor(const std::string& deviceName);

// One thing a wait can end on.
struct WaitTarget {
    enum class Kind {
        EventSet,     // `handle` is an event's WaitHandle
        PortEvent,    // `handle` is a device: one of the port events of `eventMask` has come, or the line is lost
        RoomToWrite,  // `handle` is a device that can take more bytes
    };
    Kind kind;
    std::intptr_t handle;
    std::uint32_t eventMask = 0;
};

// Which target ended a wait; `deviceLost` when it was a PortEvent target whose line has gone.
struct WaitOutcome {
    std::size_t index;
    bool deviceLost = false;
};

// What one read or write moved; -1 when it failed, with the name of the call that failed as an error box
// shows it.
struct IoResult {
    std::ptrdiff_t count = -1;
    const char* failedCall = nullptr;
};

// The system calls the serial port object makes, one place to replace them in tests. Every call that can
// fail returns false (or no value) and leaves the reason as the last system error.
class SerialPlatform {
public:
    virtual ~SerialPlatform() = default;

    // Opens the device that `deviceName` ("COM1", ...) maps to, for this opener only and for transfers that
    // never block the caller. kNoDevice when it is absent (a placeholder port included), another opener holds
    // it, or the user may not open it (IsPermissionRefusal).
    virtual DeviceHandle OpenDevice(const std::string& deviceName);
    // Gives up exclusive use and closes.
    virtual void CloseDevice(DeviceHandle device);
    virtual bool SetTimeouts(DeviceHandle device, const CommTimeouts& timeouts);
    virtual bool SetEventMask(DeviceHandle device, std::uint32_t eventMask);
    virtual bool GetLineState(DeviceHandle device, DeviceControlBlock& control);
    // Writes the block back with its settings applied, the line made raw, and raises RTS when the block says
    // so (a line without modem control, such as a pseudo-terminal, is no failure).
    virtual bool SetLineState(DeviceHandle device, const DeviceControlBlock& control);
    // Discards what is waiting in both directions.
    virtual bool Purge(DeviceHandle device);
    virtual bool InputQueueCount(DeviceHandle device, std::uint32_t& count);
    virtual IoResult Read(DeviceHandle device, std::uint8_t* bytes, std::size_t length);
    virtual IoResult Write(DeviceHandle device, const std::uint8_t* bytes, std::size_t length);
    // Starts watching the device for the port events that a PortEvent wait ends on; a watch still running is
    // kept. False when the system refused to watch.
    virtual bool WatchPortEvents(DeviceHandle device);
    // Waits without time limit until one of `targets` is ready; the lowest ready index wins.
    virtual std::optional<WaitOutcome> WaitForAny(std::span<const WaitTarget> targets);
};

SerialPlatform& DefaultSerialPlatform();

}  // namespace velanto
