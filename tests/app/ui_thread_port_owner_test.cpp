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

class UiThreadPortOwnerTest : public ::testing::Test {
protected:
    wxEvtHandler window;
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
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let it queue and wait
    stop.request_stop();
    monitor.join();  // no event was pumped: only the stop can have released it
    PumpEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(handled.load(), 0);
}

TEST_F(UiThreadPortOwnerTest, AfterDetachCallsReturnAtOnceUnhandled) {
    std::thread waiting([&] { owner.SendPortMessage(WM_PORT_RXCHAR, 1, 1, {}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
