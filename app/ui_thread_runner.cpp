#include "app/ui_thread_runner.h"

#include <wx/thread.h>

#include <condition_variable>
#include <memory>
#include <utility>

namespace velanto {

// One call handed to the user-interface thread. It may be given up only while it has not
// started; once started it runs to the end.
class UiThreadRunner::PendingCall {
public:
    // Called on the user-interface thread; false when the caller has given up.
    bool Start() {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Waiting) {
            return false;
        }
        m_state = State::Running;
        return true;
    }

    void Finish() {
        {
            std::lock_guard lock(m_mutex);
            m_state = State::Done;
        }
        m_changed.notify_all();
    }

    void Abandon() {
        {
            std::lock_guard lock(m_mutex);
            if (m_state == State::Waiting) {
                m_state = State::Abandoned;
            }
        }
        m_changed.notify_all();
    }

    // Returns when the call has run, or has been given up, or `stop` came before it started.
    void Wait(std::stop_token stop) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, stop, [this] { return m_state == State::Done || m_state == State::Abandoned; });
        if (m_state == State::Waiting) {
            m_state = State::Abandoned;
        }
        m_changed.wait(lock, [this] { return m_state == State::Done || m_state == State::Abandoned; });
    }

private:
    enum class State { Waiting, Running, Done, Abandoned };

    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    State m_state = State::Waiting;
};

UiThreadRunner::~UiThreadRunner() { Detach(); }

void UiThreadRunner::Detach() {
    std::lock_guard lock(m_mutex);
    m_detached = true;
    for (const auto& call : m_pending) {
        call->Abandon();
    }
}

bool UiThreadRunner::IsDetached() {
    std::lock_guard lock(m_mutex);
    return m_detached;
}

void UiThreadRunner::RunAndWait(std::function<void()> work, std::stop_token stop) {
    if (wxThread::IsMain()) {
        if (!stop.stop_requested() && !IsDetached()) {
            work();
        }
        return;
    }
    auto call = std::make_shared<PendingCall>();
    {
        std::lock_guard lock(m_mutex);
        if (m_detached || stop.stop_requested()) {
            return;
        }
        m_pending.push_back(call);
    }
    m_window.CallAfter([call, work = std::move(work)] {
        if (call->Start()) {
            work();
            call->Finish();
        }
    });
    call->Wait(stop);
    std::lock_guard lock(m_mutex);
    std::erase(m_pending, call);
}

}  // namespace velanto
