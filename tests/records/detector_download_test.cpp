#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "records/detector_download.h"
#include "tests/scratch_folder.h"
#include "tests/tools/simulator_process.h"

namespace velanto {
namespace {

using namespace std::chrono_literals;

class WatchedDownload final : public DownloadObserver {
public:
    void OnProgress(std::size_t count) override { bytes = count; }
    bool KeepDamagedAnswer(const AnswerFindings&) override { return false; }

    std::atomic<std::size_t> bytes = 0;
};

// A window's worker thread downloads at the detector's own pace; the window cancels mid-answer.
TEST(DetectorDownload, ACancelMidAnswerEndsTheDownloadWithNothing) {
    testing::PrivateDeviceMap deviceMap;
    testing::SimulatorProcess simulator({VELANTO_DETECTOR, "--com", "1"});
    ASSERT_FALSE(simulator.NextLine().empty());
    WatchedDownload observer;
    DownloadOutcome outcome;
    std::atomic<bool> ended = false;
    std::jthread worker([&](std::stop_token stop) {
        outcome = DownloadDetectorMemory(1, observer, stop);
        ended = true;
    });
    while (observer.bytes < 500 && !ended) {
        std::this_thread::sleep_for(5ms);
    }
    worker.request_stop();
    worker.join();
    EXPECT_EQ(outcome.kind, DownloadOutcome::Kind::Cancelled);
    EXPECT_LT(observer.bytes, kDumpSize);
}

}  // namespace
}  // namespace velanto
