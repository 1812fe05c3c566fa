#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "transfer/owner_thread.h"

namespace velanto {

// The thread that made it, as a transfer's owner without a window: other threads' calls wait in a queue
// until that thread runs them in RunCallsUntil, and their callers wait until they have run. A call whose
// stop is requested before it starts is dropped and never runs.
class QueuedOwnerThread final : public OwnerThread {
public:
    using Clock = std::chrono::steady_clock;

    QueuedOwnerThread() = default;
    ~QueuedOwnerThread() override { Detach(); }
    QueuedOwnerThread(const QueuedOwnerThread&) = delete;
    QueuedOwnerThread& operator=(const QueuedOwnerThread&) = delete;

    void RunAndWait(std::function<void()> work, std::stop_token stop) override;

    // On the owner's thread: runs the calls queued, and those that come, until `deadline` or `stop`.
    void RunCallsUntil(Clock::time_point deadline, std::stop_token stop);
    // The owner runs no more calls: those waiting now and every later one return at once, unrun.
    void Detach();

private:
    struct Call {
        enum class State { Waiting, Running, Ended };
        std::function<void()> work;
        State state = State::Waiting;
    };

    const std::thread::id m_owner = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable_any m_changed;  // a call was queued, or one has ended
    std::deque<Call*> m_waiting;            // each on its caller's stack, which waits until it has ended
    bool m_detached = false;
};

}  // namespace velanto
