#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "dump/detector_dump.h"
#include "transfer/dump_reception.h"
#include "transfer/owner_thread.h"
#include "transfer/serial_link.h"

namespace velanto {

// What a transfer tells the one who started it, always on the owner's thread. Every call but OnWaiting and
// OnProgress ends the transfer.
class TransferListener {
public:
    virtual ~TransferListener() = default;
    // Still waiting for the line to go quiet or for the answer's first byte; on each look at the clock.
    virtual void OnWaiting() = 0;
    // `bytes` of the image have come so far.
    virtual void OnProgress(std::size_t bytes) = 0;
    // The line is quiet after at least a whole image; the image may be shown as it is when
    // `findings.IsSound()`, and only after a question when not.
    virtual void OnAnswer(const DetectorDump& image, const AnswerFindings& findings) = 0;
    virtual void OnPortNotOpened(int portNumber, PortOpenFailure failure) = 0;
    // The line kept sending, so no request went out.
    virtual void OnLineNeverQuiet(int portNumber) = 0;
    virtual void OnNoAnswer(int portNumber) = 0;
    // The answer stopped after `length` bytes, short of a whole image; it is dropped.
    virtual void OnAnswerStopped(int portNumber, std::size_t length) = 0;
    // A port call failed; `text` names the call and the system's reason.
    virtual void OnPortFailure(const std::string& text) = 0;
};

// One download of the detector's memory: opens the port and starts its monitor, lets the line run until it
// is quiet, sends the request, gathers the answer until the line is quiet again, and judges it. The owner
// calls Start, Tick and the destructor on its own thread, and Tick every kTickInterval while IsUnderWay.
class DetectorTransfer final : private PortOwner, private SystemErrorBox {
public:
    using Clock = DumpReception::Clock;
    using LinkMaker = std::function<std::unique_ptr<SerialLink>(SystemErrorBox&)>;
    static constexpr std::chrono::milliseconds kTickInterval{25};

    DetectorTransfer(TransferListener& listener, OwnerThread& ownerThread, LinkMaker makeLink = MakeCommPortLink,
                     std::function<Clock::time_point()> now = Clock::now);
    // Ends the monitor; the owner's thread must no longer run the monitor's calls (they are given up).
    ~DetectorTransfer() override;
    DetectorTransfer(const DetectorTransfer&) = delete;
    DetectorTransfer& operator=(const DetectorTransfer&) = delete;

    // Starts over on COM`portNumber`; a transfer under way is given up.
    void Start(int portNumber);
    // Looks at the clock: sends the request, or ends the transfer, when its time has come.
    void Tick();
    // One byte from the line, on the owner's thread.
    void StoreByte(std::uint8_t byte);
    bool IsUnderWay() const { return m_reception.CurrentPhase() != DumpReception::Phase::Idle; }
    // Asks the monitor to end without waiting for it.
    void SignalShutdown() { m_link->SignalShutdown(); }

private:
    void OnPortByte(int portNumber, std::uint8_t byte, std::stop_token stop) override;
    void OnLineEvent(int, LineEvent, std::stop_token) override {}
    void ShowSystemError(const std::string& text, std::stop_token stop) override;
    void End() { m_reception.Stop(); }

    TransferListener& m_listener;
    OwnerThread& m_ownerThread;
    std::function<Clock::time_point()> m_now;
    DumpReception m_reception;
    int m_portNumber = 0;                // of the transfer under way, or of the last one
    std::unique_ptr<SerialLink> m_link;  // last: its monitor, which calls this object, ends first
};

}  // namespace velanto
