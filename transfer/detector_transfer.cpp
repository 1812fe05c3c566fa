#include "transfer/detector_transfer.h"

#include <utility>

#include "dump/detector_protocol.h"

namespace velanto {

DetectorTransfer::DetectorTransfer(TransferListener& listener, OwnerThread& ownerThread, LinkMaker makeLink,
                                   std::function<Clock::time_point()> now)
    : m_listener(listener),
      m_ownerThread(ownerThread),
      m_now(std::move(now)),
      m_reception(TimingForLine(kDetectorLine.baudRate)),
      m_link(makeLink(*this)) {}

DetectorTransfer::~DetectorTransfer() { m_link->SignalShutdown(); }

// A transfer under way is not ended first: the rest of its answer may take its full time to pass.
void DetectorTransfer::Start(int portNumber) {
    const PortOpenFailure failure = m_link->Open(portNumber, *this);
    if (failure != PortOpenFailure::None) {
        End();
        m_listener.OnPortNotOpened(portNumber, failure);
        return;
    }
    m_portNumber = portNumber;
    // A detector may still be sending an earlier answer: the request waits until the line is quiet.
    m_reception.Begin(m_now());
}

void DetectorTransfer::StoreByte(std::uint8_t byte) {
    const std::size_t count = m_reception.StoreByte(byte, m_now());
    if (count != 0) {
        m_listener.OnProgress(count);
    }
}

void DetectorTransfer::Tick() {
    if (!IsUnderWay()) {
        return;
    }
    const DumpReception::Outcome outcome = m_reception.Tick(m_now(), m_link->HasUnhandledInput());
    if (outcome != DumpReception::Outcome::None && outcome != DumpReception::Outcome::SendRequest) {
        End();
    }
    switch (outcome) {
        case DumpReception::Outcome::None:
            if (m_reception.CurrentPhase() != DumpReception::Phase::Receiving) {
                m_listener.OnWaiting();
            }
            break;
        case DumpReception::Outcome::SendRequest: m_link->Send(kRequestByte); break;
        case DumpReception::Outcome::LineNeverQuiet: m_listener.OnLineNeverQuiet(m_portNumber); break;
        case DumpReception::Outcome::NoAnswer: m_listener.OnNoAnswer(m_portNumber); break;
        case DumpReception::Outcome::AnswerStopped:
            m_listener.OnAnswerStopped(m_portNumber, m_reception.Findings().length);
            break;
        case DumpReception::Outcome::AnswerEnded:
            m_listener.OnAnswer(m_reception.Image(), m_reception.Findings());
            break;
    }
}

void DetectorTransfer::OnPortByte(int, std::uint8_t byte, std::stop_token stop) {
    m_ownerThread.RunAndWait([this, byte] { StoreByte(byte); }, stop);
}

// A port that fails has ended the transfer: nothing more is waited for.
void DetectorTransfer::ShowSystemError(const std::string& text, std::stop_token stop) {
    m_ownerThread.RunAndWait(
        [this, text] {
            End();
            m_listener.OnPortFailure(text);
        },
        stop);
}

}  // namespace velanto
