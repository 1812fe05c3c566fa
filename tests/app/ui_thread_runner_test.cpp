#include <gtest/gtest.h>
#include <wx/frame.h>

#include <atomic>
#include <stop_token>
#include <thread>

#include "app/ui_thread_port_owner.h"
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

class UiThreadPortOwnerTest : public ::testing::Test {
protected:
    // Waits, without handling anything on this thread, until a call has been handed over.
    void WaitUntilQueued() {
        while (window.queued.load() == 0) {
            std::this_thread::yield();
        }
    }

    WatchedWindow window;
    std::atomic<int> handled{0};
    std::atomic<int> boxes{0};
    UiThreadPortOwner owner{window, [this](unsigned, std::uintptr_t, std::intptr_t) { ++handled; },
                            [this](const std::string&) { ++boxes; }};
};

TEST_F(UiThreadPortOwnerTest, ANotificationIsHandledOnTheUserInterfaceThreadBeforeTheSenderGoesOn) {
    std::atomic<bool> returned{false};
    std::thread monitor([&] {
        owner.SendPortMessage(WM_PORT_RXCHAR, 0x55, 1, {});
        EXPECT_EQ(handled.load(), 1);
        owner.ShowSystemError("text", {});
        EXPECT_EQ(boxes.load(), 1);
        returned = true;
    });
    EXPECT_TRUE(PumpEventsUntil([&] { return returned.load(); }));
    monitor.join();
}

TEST_F(UiThreadPortOwnerTest, AStopWhileWaitingReturnsAndTheNotificationIsNeverHandled) {
    std::stop_source stop;
    std::thread monitor([&] { owner.SendPortMessage(WM_PORT_RXCHAR, 1, 1, stop.get_token()); });
    WaitUntilQueued();
    stop.request_stop();
    monitor.join();  // no event was pumped: only the stop can have released it
    PumpEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(handled.load(), 0);
}

TEST_F(UiThreadPortOwnerTest, AfterDetachCallsReturnAtOnceUnhandled) {
    std::thread waiting([&] { owner.SendPortMessage(WM_PORT_RXCHAR, 1, 1, {}); });
    WaitUntilQueued();
    owner.Detach();
    waiting.join();
    std::thread later([&] { owner.ShowSystemError("text", {}); });
    later.join();
    PumpEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(handled.load(), 0);
    EXPECT_EQ(boxes.load(), 0);
}

TEST_F(UiThreadPortOwnerTest, OnTheUserInterfaceThreadItselfTheCallRunsDirectly) {
    owner.SendPortMessage(WM_PORT_RXCHAR, 1, 1, {});
    owner.ShowSystemError("text", {});
    EXPECT_EQ(handled.load(), 1);
    EXPECT_EQ(boxes.load(), 1);
}

}  // namespace
}  // namespace velanto
