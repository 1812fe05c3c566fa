#include <algorithm>
#include <optional>
#include <vector>

#include "serial/comm_port.h"

namespace velanto {

void CCommPort::PortMonitorThread(std::stop_token stop) {
    m_monitorRunning = true;
    m_emptyWakes = 0;
    if (m_device.IsOpen()) {
        m_platform.Purge(m_device.Get());
    }
    for (;;) {
        if (!m_platform.WatchPortEvents(m_device.Get())) {
            ReportPortError("WaitCommEvent()", LastSystemError(), stop);
        }
        const std::optional<WaitOutcome> woken = m_platform.WaitForAny(m_waitEvents);
        if (!woken) {
            ReportPortError("WaitCommEvent()", LastSystemError(), stop);
            continue;
        }
        if (woken->index == kShutdown) {
            break;
        }
        if (woken->deviceLost) {
            // The device has gone (adapter pulled, other end closed). It would stay ready for ever, so the loss
            // is reported once, with what a read of a lost line gives, and the monitor ends.
            ReportPortError("WaitCommEvent()", DeviceLostError(), stop);
            break;
        }
        if (woken->index == kReadCompletion) {
            // The mask that OpenPort enabled, not the events that came: every enabled event is answered.
            const std::uint32_t eventMask = m_eventMask;
            if ((eventMask & EV_RXCHAR) != 0 && !ReceiveBytes(stop)) {
                break;
            }
            SendEventMessages(eventMask, stop);
        } else {
            SendQueuedBytes(stop);
        }
    }
    EndMonitor();
}

// Nothing, with the reason in `error`, when the device cannot say what it holds.
std::optional<std::uint32_t> CCommPort::QueuedInputCount(SystemErrorCode& error) {
    std::lock_guard lock(m_lock);
    std::uint32_t count = 0;
    if (!m_platform.InputQueueCount(m_device.Get(), count)) {
        error = LastSystemError();
        return std::nullopt;
    }
    return count;
}

// One read, and one synchronous notification, per byte. False when the device has failed, or is no line
// that the monitor can serve: one that keeps reporting input that it cannot count or does not hold (a
// link to /dev/null, /dev/zero or a file) would keep the monitor busy for ever.
bool CCommPort::ReceiveBytes(std::stop_token stop) {
    bool gotBytes = false;
    SystemErrorCode emptyReason = DeviceLostError();  // for a device that keeps waking the monitor for nothing
    for (;;) {
        SystemErrorCode error = 0;
        const std::optional<std::uint32_t> queued = QueuedInputCount(error);
        if (!queued) {
            emptyReason = error;  // a count that the device did not give is not acted on
            break;
        }
        if (*queued == 0 || stop.stop_requested()) {
            break;
        }
        std::uint8_t byte = 0;
        IoResult got;
        {
            std::lock_guard lock(m_lock);
            got = m_platform.Read(m_device.Get(), &byte, 1);
            error = LastSystemError();
            m_byteInHand = got.count == 1;
        }
        if (got.count < 0 && IsTransientError(error)) {
            break;  // nothing to read after all; the next wake tries again
        }
        if (got.count != 1) {
            // No notification for a byte that was not read: it would enter the owner's image as data. A read
            // that fails with bytes waiting means the device is gone (an end of file likewise).
            ReportPortError(got.failedCall != nullptr ? got.failedCall : "ReadFile()",
                            got.count == 0 ? DeviceLostError() : error, stop);
            return false;
        }
        gotBytes = true;
        NotifyByte(byte, stop);
        m_byteInHand = false;
    }
    if (IsEmptyWakeTolerable(gotBytes)) {
        return true;
    }
    ReportPortError("ReadFile()", emptyReason, stop);
    return false;
}

// A wake that brings no byte happens when a byte races the count; a device that does it again and again
// has nothing to give.
bool CCommPort::IsEmptyWakeTolerable(bool gotBytes) {
    constexpr int kEmptyWakesInARow = 100;
    m_emptyWakes = gotBytes ? 0 : m_emptyWakes + 1;
    return m_emptyWakes < kEmptyWakesInARow;
}

void CCommPort::SendEventMessages(std::uint32_t eventMask, std::stop_token stop) {
    if ((eventMask & EV_CTS) != 0) {
        NotifyEvent(LineEvent::ClearToSend, stop);
    }
    if ((eventMask & EV_BREAK) != 0) {
        NotifyEvent(LineEvent::Break, stop);
    }
    if ((eventMask & EV_ERR) != 0) {
        NotifyEvent(LineEvent::LineError, stop);
    }
    if ((eventMask & EV_RING) != 0) {
        NotifyEvent(LineEvent::Ring, stop);
    }
    if ((eventMask & EV_RXFLAG) != 0) {
        NotifyEvent(LineEvent::EventCharacter, stop);
    }
}

void CCommPort::SendQueuedBytes(std::stop_token stop) {
    std::vector<std::uint8_t> bytes;
    {
        // Taking the request and resetting its event is one step for QueueWrite, so a request queued meanwhile
        // is neither lost nor sent twice.
        std::lock_guard slot(m_writeSlotLock);
        m_writeRequestEvent->Reset();
        bytes.assign(m_writeBuffer.get(), m_writeBuffer.get() + std::min(m_writeLength, m_writeCapacity));
    }
    WriteOutcome outcome = WriteOutcome::Written;
    SystemErrorCode error = 0;
    {
        std::lock_guard lock(m_lock);
        m_platform.Purge(m_device.Get());
        outcome = WriteAll(bytes.data(), bytes.size());
        error = LastSystemError();
    }
    if (outcome == WriteOutcome::Failed) {
        ReportPortError("WriteFile()", error, stop);
    }
    NotifyEvent(LineEvent::WriteEnded, stop);
}

// Waits for room as long as the line needs, but never past a shutdown request.
CCommPort::WriteOutcome CCommPort::WriteAll(const std::uint8_t* bytes, std::size_t length) {
    std::size_t sent = 0;
    while (sent < length) {
        const IoResult written = m_platform.Write(m_device.Get(), bytes + sent, length - sent);
        if (written.count > 0) {
            sent += static_cast<std::size_t>(written.count);
            continue;
        }
        if (written.count < 0 && !IsTransientError(LastSystemError())) {
            return WriteOutcome::Failed;
        }
        const WaitTarget waits[] = {m_waitEvents[kShutdown], {WaitTarget::Kind::RoomToWrite, m_device.Get()}};
        const std::optional<WaitOutcome> woken = m_platform.WaitForAny(waits);
        if (!woken) {
            return WriteOutcome::Failed;
        }
        if (woken->index == 0) {
            return WriteOutcome::Abandoned;
        }
    }
    return WriteOutcome::Written;
}

void CCommPort::NotifyByte(std::uint8_t byte, std::stop_token stop) {
    if (m_ownerWindow != nullptr && !stop.stop_requested()) {
        m_ownerWindow->OnPortByte(m_portNumber, byte, stop);
    }
}

void CCommPort::NotifyEvent(LineEvent event, std::stop_token stop) {
    if (m_ownerWindow != nullptr && !stop.stop_requested()) {
        m_ownerWindow->OnLineEvent(m_portNumber, event, stop);
    }
}

void CCommPort::EndMonitor() {
    {
        std::lock_guard lock(m_lock);  // the owner's thread may be asking the device for its input
        m_device.Close();
    }
    m_waitEvents[kReadCompletion].handle = kNoDevice;
    m_monitorRunning = false;
}

}  // namespace velanto
