#include "records/queued_owner_thread.h"

#include <algorithm>
#include <utility>

namespace velanto {

void QueuedOwnerThread::RunAndWait(std::function<void()> work, std::stop_token stop) {
    if (std::this_thread::get_id() == m_owner) {
        bool detached = false;
        {
            std::lock_guard lock(m_mutex);
            detached = m_detached;
        }
        if (!detached && !stop.stop_requested()) {
            work();
        }
        return;
    }
    Call call{std::move(work)};
    std::unique_lock lock(m_mutex);
    if (m_detached || stop.stop_requested()) {
        return;
    }
    m_waiting.push_back(&call);
    m_changed.notify_all();
    m_changed.wait(lock, stop, [&call] { return call.state == Call::State::Ended; });
    if (call.state == Call::State::Waiting) {
        std::erase(m_waiting, &call);
        return;
    }
    // Once started, a call runs to its end: its work may use what the caller holds.
    m_changed.wait(lock, [&call] { return call.state == Call::State::Ended; });
}

void QueuedOwnerThread::RunCallsUntil(Clock::time_point deadline, std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    while (!stop.stop_requested() && !m_detached &&
           m_changed.wait_until(lock, stop, deadline, [this] { return !m_waiting.empty(); })) {
        Call& call = *m_waiting.front();
        m_waiting.pop_front();
        call.state = Call::State::Running;
        lock.unlock();
        call.work();
        lock.lock();
        call.state = Call::State::Ended;
        m_changed.notify_all();
    }
}

void QueuedOwnerThread::Detach() {
    std::lock_guard lock(m_mutex);
    m_detached = true;
    for (Call* call : m_waiting) {
        call->state = Call::State::Ended;
    }
    m_waiting.clear();
    m_changed.notify_all();
}

}  // namespace velanto
