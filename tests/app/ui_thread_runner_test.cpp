#include <gtest/gtest.h>
#include <wx/frame.h>

#include <atomic>
#include <stop_token>
#include <thread>

#include "app/ui_thread_runner.h"
#include "tests/app/gui_test_support.h"

namespace velanto {
namespace {

using testing::PumpEventsUntil;

// A window that tells when a call has been handed to it: from then on the caller waits for it.
class WatchedWindow : public wxEvtHandler {
public:
    void QueueEvent(wxEvent* event) override {
        wxEvtHandler::QueueEvent(event);
        ++queued;
    }
    std::atomic<int> queued{0};
};

class UiThreadRunnerTest : public ::testing::Test {
protected:
    // Waits, without handling anything on this thread, until a call has been handed over.
    void WaitUntilQueued() {
        while (window.queued.load() == 0) {
            std::this_thread::yield();
        }
    }

    // A call from the monitor, as it hands over a byte.
    void Handle(std::stop_token stop = {}) {
        runner.RunAndWait([this] { ++handled; }, stop);
    }

    WatchedWindow window;
    std::atomic<int> handled{0};
    UiThreadRunner runner{window};
};

TEST_F(UiThreadRunnerTest, ACallRunsOnTheUserInterfaceThreadBeforeTheCallerGoesOn) {
    std::atomic<bool> returned{false};
    std::thread monitor([&] {
        Handle();
        EXPECT_EQ(handled.load(), 1);
        Handle();
        EXPECT_EQ(handled.load(), 2);
        returned = true;
    });
    EXPECT_TRUE(PumpEventsUntil([&] { return returned.load(); }));
    monitor.join();
}

TEST_F(UiThreadRunnerTest, AStopWhileWaitingReturnsAndTheCallNeverRuns) {
    std::stop_source stop;
    std::thread monitor([&] { Handle(stop.get_token()); });
    WaitUntilQueued();
    stop.request_stop();
    monitor.join();  // no event was pumped: only the stop can have released it
    PumpEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(handled.load(), 0);
}

TEST_F(UiThreadRunnerTest, AfterDetachCallsReturnAtOnceUnhandled) {
    std::thread waiting([&] { Handle(); });
    WaitUntilQueued();
    runner.Detach();
    waiting.join();
    std::thread later([&] { Handle(); });
    later.join();
    PumpEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(handled.load(), 0);
}

TEST_F(UiThreadRunnerTest, OnTheUserInterfaceThreadItselfTheCallRunsDirectly) {
    Handle();
    EXPECT_EQ(handled.load(), 1);
}

}  // namespace
}  // namespace velanto
