#include "serial/com_number.h"
#include "serial/comm_state_win32.h"

#include <memory>
#include <vector>

namespace velanto {
namespace {

constexpr DWORD kPurgeEverything = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kEmptyWaitPauseMs = 10;

// A manual-reset event for one completion record; the system resets it when a call on the record starts
// and sets it when the call has finished.
class CompletionEvent {
public:
    explicit CompletionEvent(bool idle) : m_event(::CreateEventA(nullptr, TRUE, idle, nullptr)) {}
    ~CompletionEvent() {
        if (m_event != nullptr) {
            ::CloseHandle(m_event);
        }
    }
    CompletionEvent(const CompletionEvent&) = delete;
    CompletionEvent& operator=(const CompletionEvent&) = delete;
    HANDLE Get() const { return m_event; }

private:
    HANDLE m_event;
};

// The open port with its completion records. The wait for port events has a record of its own: it may
// still be pending while a read or write runs, and sharing one record would let either one clear the
// other's completion.
struct Port {
    explicit Port(HANDLE file) : file(file) {
        portEvents.hEvent = portEventsDone.Get();
        transfer.hEvent = transferDone.Get();
    }
    ~Port() {
        if (watching) {
            // The record must outlive the wait: let the cancelled wait finish before it goes.
            DWORD ignored = 0;
            ::CancelIoEx(file, &portEvents);
            ::GetOverlappedResult(file, &portEvents, &ignored, TRUE);
        }
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
        }
    }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;
    bool IsReady() const { return portEventsDone.Get() != nullptr && transferDone.Get() != nullptr; }

    HANDLE file;
    CompletionEvent portEventsDone{false};  // the read-completion event
    CompletionEvent transferDone{true};
    OVERLAPPED portEvents{};
    OVERLAPPED transfer{};
    DWORD events = 0;       // filled by WaitCommEvent; the port object goes by the mask it enabled
    bool watching = false;  // a WaitCommEvent is pending on `portEvents`
};

// A port object that has no device calls on the invalid handle, and every call fails as it would on
// one; its port events never come.
Port& PortOf(DeviceHandle device) {
    static Port none(INVALID_HANDLE_VALUE);
    return device == kNoDevice ? none : *reinterpret_cast<Port*>(device);
}

HANDLE File(DeviceHandle device) { return PortOf(device).file; }

// A fresh start for a read or write on the transfer record.
OVERLAPPED* Transferring(Port& port) {
    port.transfer.Offset = 0;
    port.transfer.OffsetHigh = 0;
    return &port.transfer;
}

// True when the port's input queue is known to be empty.
bool InputQueueEmpty(HANDLE file) {
    DWORD errors = 0;
    COMSTAT status{};
    return ::ClearCommError(file, &errors, &status) && status.cbInQue == 0;
}

// A wait that finishes at once is worth a wake only when bytes are waiting; a refused wait
// (ERROR_INVALID_PARAMETER) passes like a pending one.
bool ArmPortEventWait(Port& port) {
    if (port.watching) {
        return true;
    }
    for (;;) {
        ::ResetEvent(port.portEvents.hEvent);
        if (::WaitCommEvent(port.file, &port.events, &port.portEvents)) {
            if (InputQueueEmpty(port.file)) {
                continue;
            }
            ::SetEvent(port.portEvents.hEvent);
            return true;
        }
        const DWORD error = ::GetLastError();
        port.watching = error == ERROR_IO_PENDING;
        return error == ERROR_IO_PENDING || error == ERROR_INVALID_PARAMETER;
    }
}

// True when the ended wait brought no event (or was called off) while nothing waits to be read. Where the
// line has no modem-status lines to watch (Wine on a pseudo-terminal), every wait ends so, at once.
bool EndedEmpty(Port& port) {
    DWORD ignored = 0;
    const bool ended = ::GetOverlappedResult(port.file, &port.portEvents, &ignored, FALSE);
    const bool eventless = ended ? port.events == 0 : ::GetLastError() == ERROR_OPERATION_ABORTED;
    port.watching = false;
    return eventless && InputQueueEmpty(port.file);
}

}  // namespace

SystemErrorCode LastSystemError() { return static_cast<SystemErrorCode>(::GetLastError()); }

std::string SystemErrorText(SystemErrorCode code) {
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                         reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer != nullptr ? buffer : "", length);
    ::LocalFree(buffer);
    return text;
}

// Overlapped calls finish by themselves; none fails only for want of waiting.
bool IsTransientError(SystemErrorCode) { return false; }

// A port held by another opener is refused with ERROR_ACCESS_DENIED too, so a refusal says nothing about
// the user's rights.
bool IsPermissionRefusal(SystemErrorCode) { return false; }

SystemErrorCode DeviceLostError() { return ERROR_IO_DEVICE; }

// Every COM number is reached in the device namespace, where COM10 and above are found too.
std::filesystem::path DevicePathFor(const std::string& deviceName) {
    return ComNumber(deviceName) == 0 ? std::filesystem::path() : std::filesystem::path("\\\\.\\" + deviceName);
}

DeviceHandle SerialPlatform::OpenDevice(const std::string& deviceName) {
    const std::filesystem::path path = DevicePathFor(deviceName);
    if (path.empty()) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return kNoDevice;
    }
    const HANDLE file = ::CreateFileA(path.string().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return kNoDevice;
    }
    auto device = std::make_unique<Port>(file);
    if (!device->IsReady()) {
        const DWORD error = ::GetLastError();
        device.reset();
        ::SetLastError(error);
        return kNoDevice;
    }
    return reinterpret_cast<DeviceHandle>(device.release());
}

void SerialPlatform::CloseDevice(DeviceHandle device) { delete &PortOf(device); }

bool SerialPlatform::SetTimeouts(DeviceHandle device, const CommTimeouts& timeouts) {
    COMMTIMEOUTS limits{timeouts.readIntervalTimeout, timeouts.readTotalTimeoutMultiplier,
                        timeouts.readTotalTimeoutConstant, timeouts.writeTotalTimeoutMultiplier,
                        timeouts.writeTotalTimeoutConstant};
    return ::SetCommTimeouts(File(device), &limits);
}

bool SerialPlatform::SetEventMask(DeviceHandle device, std::uint32_t eventMask) {
    return ::SetCommMask(File(device), eventMask);
}

bool SerialPlatform::GetLineState(DeviceHandle device, DeviceControlBlock& control) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(File(device), &dcb)) {
        return false;
    }
    KeepNativeBlock(control, dcb);
    return true;
}

bool SerialPlatform::SetLineState(DeviceHandle device, const DeviceControlBlock& control) {
    DCB dcb = NativeBlock(control);
    return ::SetCommState(File(device), &dcb);
}

bool SerialPlatform::Purge(DeviceHandle device) { return ::PurgeComm(File(device), kPurgeEverything); }

bool SerialPlatform::InputQueueCount(DeviceHandle device, std::uint32_t& count) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(File(device), &errors, &status)) {
        return false;
    }
    count = status.cbInQue;
    return true;
}

IoResult SerialPlatform::Read(DeviceHandle device, std::uint8_t* bytes, std::size_t length) {
    Port& port = PortOf(device);
    DWORD got = 0;
    if (!::ReadFile(port.file, bytes, static_cast<DWORD>(length), &got, Transferring(port))) {
        if (::GetLastError() != ERROR_IO_PENDING) {
            return {-1, "ReadFile()"};
        }
        if (!::GetOverlappedResult(port.file, &port.transfer, &got, TRUE)) {
            return {-1, "GetOverlappedResults() in ReadFile()"};
        }
    }
    return {static_cast<std::ptrdiff_t>(got)};
}

IoResult SerialPlatform::Write(DeviceHandle device, const std::uint8_t* bytes, std::size_t length) {
    Port& port = PortOf(device);
    DWORD written = 0;
    if (!::WriteFile(port.file, bytes, static_cast<DWORD>(length), &written, Transferring(port))) {
        if (::GetLastError() != ERROR_IO_PENDING) {
            return {-1, "WriteFile()"};
        }
        // A pending write counts as done once it has ended, however it ended.
        if (!::GetOverlappedResult(port.file, &port.transfer, &written, TRUE)) {
            written = static_cast<DWORD>(length);
        }
    }
    return {static_cast<std::ptrdiff_t>(written)};
}

bool SerialPlatform::WatchPortEvents(DeviceHandle device) { return ArmPortEventWait(PortOf(device)); }

// A port-event target waits on the read-completion event; room to write on the transfer record's event,
// which is set while no read or write is under way.
std::optional<WaitOutcome> SerialPlatform::WaitForAny(std::span<const WaitTarget> targets) {
    std::vector<HANDLE> handles;
    for (const WaitTarget& target : targets) {
        switch (target.kind) {
            case WaitTarget::Kind::EventSet: handles.push_back(reinterpret_cast<HANDLE>(target.handle)); break;
            case WaitTarget::Kind::PortEvent: handles.push_back(PortOf(target.handle).portEvents.hEvent); break;
            case WaitTarget::Kind::RoomToWrite: handles.push_back(PortOf(target.handle).transfer.hEvent); break;
        }
    }
    // A wait that ended empty is no wake: the line is watched again after a pause, so that one whose every
    // wait ends at once is polled, not spun on, and does not look to the monitor like a dead line.
    Port* paused = nullptr;
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                                     paused != nullptr ? kEmptyWaitPauseMs : INFINITE);
        if (woken == WAIT_TIMEOUT && paused != nullptr) {
            if (!ArmPortEventWait(*paused)) {
                return std::nullopt;
            }
            paused = nullptr;
            continue;
        }
        if (woken >= WAIT_OBJECT_0 + handles.size()) {
            return std::nullopt;
        }
        const std::size_t index = woken - WAIT_OBJECT_0;
        if (targets[index].kind != WaitTarget::Kind::PortEvent) {
            return WaitOutcome{index};
        }
        Port& port = PortOf(targets[index].handle);
        if (!port.watching || !EndedEmpty(port)) {
            return WaitOutcome{index};
        }
        ::ResetEvent(port.portEvents.hEvent);
        paused = &port;
    }
}

SerialPlatform& DefaultSerialPlatform() {
    static SerialPlatform platform;
    return platform;
}

}  // namespace velanto
