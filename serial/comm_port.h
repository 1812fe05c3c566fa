#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "serial/manual_reset_event.h"
#include "serial/port_owner.h"
#include "serial/serial_platform.h"

namespace velanto {

// Why the last OpenPort returned false.
enum class PortOpenFailure {
    None,
    Unavailable,        // absent, a placeholder port, held by another opener, or no descriptor to spare
    PermissionRefused,  // the user may not open the device
};

// One serial port: opens and configures the device, and runs the monitor thread that does every read and
// write on it and tells the owner window about each received byte and port event.
//
// The owner's thread calls OpenPort, StartMonitor, QueueWrite, SignalShutdown and the destructor. Stopping
// a monitor never waits for the owner's thread: a notification or error box the monitor is blocked in is
// abandoned (dropped, never handled) once the stop has been requested.
class CCommPort {
public:
    explicit CCommPort(SystemErrorBox& errorBox, SerialPlatform& platform = DefaultSerialPlatform());
    virtual ~CCommPort();
    CCommPort(const CCommPort&) = delete;
    CCommPort& operator=(const CCommPort&) = delete;

    // True when the device was opened (also when a configuration step then failed and was reported);
    // false, with no box, when it is absent, another opener holds it or the user may not open it
    // (LastOpenFailure tells which). Stops a running monitor first.
    bool OpenPort(PortOwner* owner, int portNumber, const LineSettings& line, std::uint32_t eventMask,
                  std::uint32_t writeBufferSize);
    PortOpenFailure LastOpenFailure() const { return m_openFailure; }
    // True when the monitor thread was created. A monitor started earlier is stopped first.
    bool StartMonitor();
    // Hands bytes to the monitor thread; replaces bytes it has not taken yet. Returns at once. Bytes that do
    // not fit the write buffer are refused as a whole (false), so a request is never sent cut short.
    bool QueueWrite(const std::uint8_t* bytes, std::uint32_t length);
    // Asks the monitor to close the device and end; returns at once.
    void SignalShutdown();
    // Shows the system-error box for the last failed system call and waits until it is closed.
    void ReportPortError(const char* callName);
    // True while the device holds received bytes or the monitor holds one that the owner has not handled
    // yet: the line is not quiet then, however long ago the owner saw its last byte.
    bool HasUnhandledInput();

private:
    // A device that is closed through the platform it was opened by.
    class Device {
    public:
        explicit Device(SerialPlatform& platform) : m_platform(platform) {}
        ~Device() { Close(); }
        Device(const Device&) = delete;
        Device& operator=(const Device&) = delete;
        void Reset(DeviceHandle handle) {
            Close();
            m_handle = handle;
        }
        void Close();
        bool IsOpen() const { return m_handle != kNoDevice; }
        DeviceHandle Get() const { return m_handle; }

    private:
        SerialPlatform& m_platform;
        DeviceHandle m_handle = kNoDevice;
    };

    static constexpr std::size_t kShutdown = 0;
    static constexpr std::size_t kReadCompletion = 1;
    static constexpr std::size_t kWriteRequest = 2;

    void StopMonitor();
    void ReportPortError(const char* callName, SystemErrorCode errorCode, std::stop_token stop);
    bool ConfigureDevice(const LineSettings& line);

    // The monitor thread and its two halves (port_monitor_thread.cpp).
    void PortMonitorThread(std::stop_token stop);
    std::optional<std::uint32_t> QueuedInputCount(SystemErrorCode& error);
    bool ReceiveBytes(std::stop_token stop);
    bool IsEmptyWakeTolerable(bool gotBytes);
    void SendQueuedBytes(std::stop_token stop);
    enum class WriteOutcome { Written, Failed, Abandoned };
    WriteOutcome WriteAll(const std::uint8_t* bytes, std::size_t length);
    void SendEventMessages(std::uint32_t eventMask, std::stop_token stop);
    void NotifyByte(std::uint8_t byte, std::stop_token stop);
    void NotifyEvent(LineEvent event, std::stop_token stop);
    void EndMonitor();

    SystemErrorBox& m_errorBox;
    SerialPlatform& m_platform;

    std::uint32_t m_writeLength = 1;
    Device m_device{m_platform};
    std::jthread m_thread;
    std::recursive_mutex m_lock;
    std::atomic<bool> m_monitorRunning = false;
    std::atomic<bool> m_byteInHand = false;  // read from the device, not yet handled by the owner
    int m_emptyWakes = 0;                    // readiness reports in a row that brought no byte
    std::optional<ManualResetEvent> m_writeRequestEvent;
    std::optional<ManualResetEvent> m_shutdownEvent;
    // What the monitor waits on, in this order: the shutdown event, the device's port events (the
    // read-completion event), the write-request event.
    std::array<WaitTarget, 3> m_waitEvents{};
    DeviceControlBlock m_control;
    PortOwner* m_ownerWindow = nullptr;
    int m_portNumber = 0;
    std::unique_ptr<std::uint8_t[]> m_writeBuffer;
    std::uint32_t m_eventMask = 0;
    std::uint32_t m_writeCapacity = 0;
    PortOpenFailure m_openFailure = PortOpenFailure::None;
    // Guards m_writeBuffer and m_writeLength between QueueWrite and the monitor taking a request, so that
    // queueing never waits for the device.
    std::mutex m_writeSlotLock;
};

}  // namespace velanto
