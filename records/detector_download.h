#pragma once

#include <cstddef>
#include <stop_token>
#include <string>

#include "dump/detector_dump.h"
#include "transfer/detector_transfer.h"

namespace velanto {

// What a download asks and tells the one who runs it, on the downloading thread.
class DownloadObserver {
public:
    virtual ~DownloadObserver() = default;
    // `bytes` of the image's kDumpSize have come so far.
    virtual void OnProgress(std::size_t bytes) = 0;
    // The answer ended but does not look like the detector's memory (too long, or claiming more than
    // kMaxRecords records): true keeps its first kDumpSize bytes as the image. May wait for an operator.
    virtual bool KeepDamagedAnswer(const AnswerFindings& findings) = 0;
};

struct DownloadOutcome {
    enum class Kind {
        Image,      // `image` came
        Failed,     // `reason` tells why nothing came
        Declined,   // the answer looked damaged and was not kept; `reason` says how
        Cancelled,  // the stop was requested first
    };
    Kind kind = Kind::Cancelled;
    DetectorDump image{};
    std::string reason;  // one line, naming the port
};

// Downloads the detector's memory on COM`portNumber` through velanto's own transfer, on the calling thread,
// which runs the port monitor's calls and looks at the clock every DetectorTransfer::kTickInterval. Returns
// within a tick of `stop` being requested; the port is closed and its monitor ended on every return.
DownloadOutcome DownloadDetectorMemory(int portNumber, DownloadObserver& observer, std::stop_token stop,
                                       const DetectorTransfer::LinkMaker& makeLink = MakeCommPortLink);

// What is wrong with a damaged answer on COM`portNumber`, in one line: "The detector's answer on COM1 (...)
// looks damaged: it was 16458 bytes long instead of 16448."
std::string DamagedAnswerText(int portNumber, const AnswerFindings& findings);

// Where a download from COM`portNumber` comes from, as the store keeps it: "COM1 (/dev/ttyUSB0)" where a
// device map names the device, "COM1" on Windows.
std::string DownloadSource(int portNumber);

}  // namespace velanto
