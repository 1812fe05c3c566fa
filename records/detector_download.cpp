#include "records/detector_download.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "records/queued_owner_thread.h"

namespace velanto {
namespace {

// The port's error box text, "WARNING:  CALL Failed with the following error: \nREASON\nPort: N\n", as
// "COMn (...): CALL failed: REASON"; a text of another shape (cut off) with its lines joined.
std::string PortFailureText(int portNumber, std::string boxText) {
    constexpr std::string_view kOpening = "WARNING:  ";
    constexpr std::string_view kFailed = " Failed with the following error: \n";
    const std::size_t callEnd = boxText.find(kFailed);
    const std::size_t reasonStart = callEnd == std::string::npos ? callEnd : callEnd + kFailed.size();
    const std::size_t reasonEnd = boxText.find('\n', reasonStart);
    if (!boxText.starts_with(kOpening) || reasonEnd == std::string::npos) {
        std::replace(boxText.begin(), boxText.end(), '\n', ' ');
        return DownloadSource(portNumber) + ": " + boxText;
    }
    return DownloadSource(portNumber) + ": " + boxText.substr(kOpening.size(), callEnd - kOpening.size()) +
           " failed: " + boxText.substr(reasonStart, reasonEnd - reasonStart);
}

std::string PortNotOpenedText(int portNumber, PortOpenFailure failure) {
    if (failure == PortOpenFailure::PermissionRefused) {
        return "You have no permission to open " + DownloadSource(portNumber) +
               ". Serial ports are open to the group dialout; join it with \"sudo adduser $USER dialout\", then "
               "log out and log in again.";
    }
    return DownloadSource(portNumber) + " cannot be opened: there is no such port, or another program holds it.";
}

// Keeps the first word of the transfer, which ends it; a failure of the port while it opens comes before
// the open's own.
class DownloadListener final : public TransferListener {
public:
    DownloadListener(int portNumber, DownloadObserver& observer) : m_port(portNumber), m_observer(observer) {}

    std::optional<DownloadOutcome> TakeOutcome() { return std::move(m_outcome); }

    void OnWaiting() override {}
    void OnProgress(std::size_t bytes) override { m_observer.OnProgress(bytes); }
    void OnAnswer(const DetectorDump& image, const AnswerFindings& findings) override {
        if (findings.IsSound() || m_observer.KeepDamagedAnswer(findings)) {
            Keep({DownloadOutcome::Kind::Image, image, {}});
        } else {
            Keep({DownloadOutcome::Kind::Declined, {}, DamagedAnswerText(m_port, findings)});
        }
    }
    void OnPortNotOpened(int, PortOpenFailure failure) override { Fail(PortNotOpenedText(m_port, failure)); }
    void OnLineNeverQuiet(int) override {
        Fail(DownloadSource(m_port) +
             " keeps sending without a pause, so no request was sent to the detector. Check the serial cable, that "
             "the port is the detector's, and that the detector is set to Serial.");
    }
    void OnNoAnswer(int) override {
        Fail("The detector did not answer on " + DownloadSource(m_port) +
             ". Check the serial cable, the port, and that the detector is switched on and set to Serial.");
    }
    void OnAnswerStopped(int, std::size_t length) override {
        Fail("The detector's answer on " + DownloadSource(m_port) + " stopped after " + std::to_string(length) +
             " of " + std::to_string(kDumpSize) + " bytes. Check the serial cable.");
    }
    void OnPortFailure(const std::string& text) override { Fail(PortFailureText(m_port, text)); }

private:
    void Fail(std::string reason) { Keep({DownloadOutcome::Kind::Failed, {}, std::move(reason)}); }
    void Keep(DownloadOutcome outcome) {
        if (!m_outcome) {
            m_outcome = std::move(outcome);
        }
    }

    int m_port;
    DownloadObserver& m_observer;
    std::optional<DownloadOutcome> m_outcome;
};

}  // namespace

std::string DamagedAnswerText(int portNumber, const AnswerFindings& findings) {
    std::string text = "The detector's answer on " + DownloadSource(portNumber) + " looks damaged:";
    if (findings.IsTooLong()) {
        text += " it was " + std::to_string(findings.length) + " bytes long instead of " + std::to_string(kDumpSize);
    }
    if (findings.ClaimsTooManyRecords()) {
        text += std::string(findings.IsTooLong() ? ", and" : "") + " it claims " +
                std::to_string(findings.claimedRecords) + " records, more than " + std::to_string(kMaxRecords);
    }
    return text + ".";
}

DownloadOutcome DownloadDetectorMemory(int portNumber, DownloadObserver& observer, std::stop_token stop,
                                       const DetectorTransfer::LinkMaker& makeLink) {
    DownloadListener listener(portNumber, observer);
    QueuedOwnerThread ownerThread;
    {
        DetectorTransfer transfer(listener, ownerThread, makeLink);
        transfer.Start(portNumber);
        while (transfer.IsUnderWay()) {
            ownerThread.RunCallsUntil(QueuedOwnerThread::Clock::now() + DetectorTransfer::kTickInterval, stop);
            if (stop.stop_requested()) {
                break;
            }
            transfer.Tick();
        }
        // The monitor may be waiting with a byte: it is let go before the transfer waits for it to end.
        ownerThread.Detach();
    }
    return listener.TakeOutcome().value_or(DownloadOutcome{});
}

}  // namespace velanto
