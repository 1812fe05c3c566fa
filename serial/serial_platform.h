#pragma once

#include <poll.h>
#include <sys/types.h>
#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace velanto {

// The five millisecond limits of a port's reads and writes, for a platform whose calls wait by them.
struct CommTimeouts {
    std::uint32_t readIntervalTimeout = 0;
    std::uint32_t readTotalTimeoutMultiplier = 0;
    std::uint32_t readTotalTimeoutConstant = 0;
    std::uint32_t writeTotalTimeoutMultiplier = 0;
    std::uint32_t writeTotalTimeoutConstant = 0;
};

inline constexpr std::uint32_t RTS_CONTROL_DISABLE = 0;
inline constexpr std::uint32_t RTS_CONTROL_ENABLE = 1;

// The device control block: the line attributes as read from the device, and the settings that are
// written back over them.
struct DeviceControlBlock {
    termios attributes{};
    std::uint32_t baudRate = 9600;
    char parity = 'N';  // N, E, O, M (mark) or S (space)
    std::uint32_t dataBits = 8;
    std::uint32_t stopBits = 1;
    std::uint32_t rtsControl = RTS_CONTROL_DISABLE;
};

// Applies a settings text such as "baud=9600 parity=N data=8 stop=1" onto `control`; any subset of the four
// keys, in any order. Returns false with errno EINVAL, and changes nothing, when the text does not parse or
// names a setting that a POSIX line cannot take.
bool BuildCommDcb(const std::string& settings, DeviceControlBlock& control);

// The block's attributes made raw (no echo, no line editing, no translation, no flow control), receiver on,
// modem lines ignored, with the block's speed, parity, data and stop bits.
termios RawLineAttributes(const DeviceControlBlock& control);

// The folder in which links named com1, com2, ... map port numbers to devices:
// ${XDG_CONFIG_HOME:-$HOME/.config}/velanto/dosdevices.
std::filesystem::path DeviceMapFolder();

// True when a UART is behind the serial port at `port`: the kernel knows its type. The kernel keeps
// placeholder ports /dev/ttyS0, ... whose type is unknown. A port that exists but may not be opened to ask
// (another user's, or held by another program) counts as having one.
bool HasUart(const std::filesystem::path& port);

// The device folder that COM numbers resolve in, and how a serial port in it is told from a placeholder.
// Tests put a folder of their own in place of /dev.
struct DeviceTree {
    std::filesystem::path root = "/dev";
    bool (*hasUart)(const std::filesystem::path& port) = HasUart;
};

// The device that "COM<n>" names, in this order: the target of the link com<n> in the device-map folder;
// /dev/ttyS<n-1> when a UART is behind it; else the USB serial adapters of /dev/serial/by-id that no link
// names, sorted by name, go one each, lowest number first, to the COM numbers that have neither a link nor
// a UART; else /dev/ttyS<n-1>. An empty path for a name that is not COM followed by a number from 1.
std::filesystem::path DevicePathFor(const std::string& deviceName, const DeviceTree& devices = {});

// The system calls the serial port object makes, one place to replace them in tests. Every call that can
// fail returns false (or -1) and leaves the reason in errno.
class SerialPlatform {
public:
    virtual ~SerialPlatform() = default;

    // Opens the device that `deviceName` ("COM1", ...) maps to: read and write, non-blocking, never as the
    // controlling terminal, for this opener only. -1 when it is absent (a placeholder port included), another
    // opener holds it, or the user may not open it (errno EACCES or EPERM).
    virtual int OpenDevice(const std::string& deviceName);
    // Gives up exclusive use and closes.
    virtual void CloseDevice(int device);
    virtual bool SetTimeouts(int device, const CommTimeouts& timeouts);
    virtual bool SetEventMask(int device, std::uint32_t eventMask);
    virtual bool GetLineState(int device, DeviceControlBlock& control);
    // Sets RawLineAttributes(control) and raises RTS when the block says so (a line without modem
    // control, such as a pseudo-terminal, is no failure).
    virtual bool SetLineState(int device, const DeviceControlBlock& control);
    // Discards what is waiting in both directions.
    virtual bool Purge(int device);
    virtual bool InputQueueCount(int device, std::uint32_t& count);
    virtual ssize_t Read(int device, std::uint8_t* bytes, std::size_t length);
    virtual ssize_t Write(int device, const std::uint8_t* bytes, std::size_t length);
    // Waits without time limit until one of `fds` is ready.
    virtual int Poll(pollfd* fds, nfds_t count);
};

SerialPlatform& DefaultSerialPlatform();

}  // namespace velanto
