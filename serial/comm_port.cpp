#include "serial/comm_port.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

namespace velanto {
namespace {

// Each read and write limit at one second: the port's settings wherever it runs, for the platform layers
// whose calls wait by them.
constexpr CommTimeouts kPortTimeouts{1000, 1000, 1000, 1000, 1000};
constexpr char kEventCharacter = 'q';

}  // namespace

void CCommPort::Device::Close() {
    if (m_handle != kNoDevice) {
        m_platform.CloseDevice(m_handle);
        m_handle = kNoDevice;
    }
}

CCommPort::CCommPort(SystemErrorBox& errorBox, SerialPlatform& platform) : m_errorBox(errorBox), m_platform(platform) {}

CCommPort::~CCommPort() {
    StopMonitor();
    m_device.Close();
    m_shutdownEvent.reset();
    m_writeRequestEvent.reset();
}

bool CCommPort::OpenPort(PortOwner* owner, int portNumber, const LineSettings& line, std::uint32_t eventMask,
                         std::uint32_t writeBufferSize) {
    StopMonitor();
    m_openFailure = PortOpenFailure::Unavailable;

    // The device's port events stand for the read-completion event; they are renewed with the device below.
    try {
        if (m_writeRequestEvent) {
            m_writeRequestEvent->Reset();
        } else {
            m_writeRequestEvent.emplace();
        }
        if (m_shutdownEvent) {
            m_shutdownEvent->Reset();
        } else {
            m_shutdownEvent.emplace();
        }
    } catch (const std::system_error&) {
        return false;  // no handle to spare for an event: the port could not be driven
    }
    m_waitEvents = {WaitTarget{WaitTarget::Kind::EventSet, m_shutdownEvent->Handle()},
                    WaitTarget{WaitTarget::Kind::PortEvent, kNoDevice, eventMask},
                    WaitTarget{WaitTarget::Kind::EventSet, m_writeRequestEvent->Handle()}};

    m_ownerWindow = owner;
    m_writeBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(writeBufferSize);
    m_portNumber = portNumber;
    m_writeCapacity = writeBufferSize;
    m_eventMask = eventMask;

    char deviceName[50];
    std::lock_guard lock(m_lock);
    m_device.Close();
    std::snprintf(deviceName, sizeof deviceName, "COM%d", portNumber);
    m_device.Reset(m_platform.OpenDevice(deviceName));
    if (!m_device.IsOpen()) {
        if (IsPermissionRefusal(LastSystemError())) {
            m_openFailure = PortOpenFailure::PermissionRefused;
        }
        return false;
    }
    m_openFailure = PortOpenFailure::None;
    m_waitEvents[kReadCompletion].handle = m_device.Get();

    ConfigureDevice(line);
    m_platform.Purge(m_device.Get());
    return true;
}

// Stops at the first step that fails, after reporting it; the device keeps the settings it had reached.
bool CCommPort::ConfigureDevice(const LineSettings& line) {
    const DeviceHandle device = m_device.Get();
    if (!m_platform.SetTimeouts(device, kPortTimeouts)) {
        ReportPortError("SetCommTimeouts()");
        return false;
    }
    if (!m_platform.SetEventMask(device, m_eventMask)) {
        ReportPortError("SetCommMask()");
        return false;
    }
    if (!m_platform.GetLineState(device, m_control)) {
        ReportPortError("GetCommState()");
        return false;
    }
    m_control.rtsControl = RTS_CONTROL_ENABLE;
    m_control.eventCharacter = kEventCharacter;
    if (!ApplyLineSettings(line, m_control)) {
        ReportPortError("BuildCommDCB()");
        return false;
    }
    if (!m_platform.SetLineState(device, m_control)) {
        ReportPortError("SetCommState()");
        return false;
    }
    return true;
}

bool CCommPort::StartMonitor() {
    if (!m_shutdownEvent) {
        return false;  // never opened: there is nothing to monitor and nothing to stop it by
    }
    StopMonitor();
    try {
        m_thread = std::jthread([this](std::stop_token stop) { PortMonitorThread(stop); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

// Also finds a monitor that has not yet begun to run: the thread object, not the running flag, tells.
void CCommPort::StopMonitor() {
    if (!m_thread.joinable()) {
        return;
    }
    m_thread.request_stop();
    m_shutdownEvent->Set();
    m_thread.join();
}

bool CCommPort::QueueWrite(const std::uint8_t* bytes, std::uint32_t length) {
    if (!m_writeRequestEvent || length > m_writeCapacity || (length > 0 && bytes == nullptr)) {
        return false;
    }
    std::lock_guard slot(m_writeSlotLock);
    if (length > 0) {
        std::memcpy(m_writeBuffer.get(), bytes, length);
    }
    m_writeLength = length;
    m_writeRequestEvent->Set();
    return true;
}

void CCommPort::SignalShutdown() {
    if (m_shutdownEvent) {
        m_shutdownEvent->Set();
    }
}

bool CCommPort::HasUnhandledInput() {
    std::lock_guard lock(m_lock);
    if (m_byteInHand) {
        return true;
    }
    std::uint32_t count = 0;
    return m_device.IsOpen() && m_platform.InputQueueCount(m_device.Get(), count) && count > 0;
}

void CCommPort::ReportPortError(const char* callName) {
    ReportPortError(callName, LastSystemError(), std::stop_token());
}

void CCommPort::ReportPortError(const char* callName, SystemErrorCode errorCode, std::stop_token stop) {
    const std::string systemText = SystemErrorText(errorCode);
    char text[200];  // a longer text is cut off at the end
    std::snprintf(text, sizeof text, "WARNING:  %s Failed with the following error: \n%s\nPort: %d\n", callName,
                  systemText.c_str(), m_portNumber);
    m_errorBox.ShowSystemError(text, stop);
}

}  // namespace velanto
