#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "records/queued_owner_thread.h"

namespace velanto {
namespace {

using namespace std::chrono_literals;
using Clock = QueuedOwnerThread::Clock;

TEST(QueuedOwnerThread, CallsFromAnotherThreadRunOnTheOwnersThreadAndAreWaitedFor) {
    QueuedOwnerThread owner;
    std::thread::id ranOn;
    std::atomic<bool> returned = false;
    bool ranBeforeReturning = false;
    std::jthread monitor([&] {
        owner.RunAndWait([&] { ranOn = std::this_thread::get_id(); }, {});
        ranBeforeReturning = ranOn != std::thread::id();
        returned = true;
    });
    while (!returned) {
        owner.RunCallsUntil(Clock::now() + 5ms, {});
    }
    monitor.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(ranBeforeReturning);
}

// Whether the stop or the detach comes before the call is queued or while it waits, the caller returns
// and the work never runs, not even when the owner looks at its queue afterwards.
TEST(QueuedOwnerThread, ACallStoppedOrDetachedBeforeItStartsNeverRuns) {
    enum class Ending { StopFirst, StopWhileWaiting, DetachWhileWaiting };
    for (const Ending ending : {Ending::StopFirst, Ending::StopWhileWaiting, Ending::DetachWhileWaiting}) {
        QueuedOwnerThread owner;
        std::stop_source stop;
        std::atomic<bool> ran = false;
        if (ending == Ending::StopFirst) {
            stop.request_stop();
        }
        std::jthread monitor([&] { owner.RunAndWait([&] { ran = true; }, stop.get_token()); });
        std::this_thread::sleep_for(20ms);  // mostly queued by now; either way it must not run
        ending == Ending::DetachWhileWaiting ? owner.Detach() : void(stop.request_stop());
        monitor.join();
        owner.RunCallsUntil(Clock::now() + 20ms, {});
        EXPECT_FALSE(ran) << static_cast<int>(ending);
    }
}

}  // namespace
}  // namespace velanto
