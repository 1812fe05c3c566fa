#pragma once

#include <wx/event.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "transfer/owner_thread.h"

namespace velanto {

// Runs the port monitor's calls on the user-interface thread and waits there until they have been handled,
// like a synchronous window message. A call that is still waiting when its stop is requested is dropped and
// never handled.
class UiThreadRunner final : public OwnerThread {
public:
    explicit UiThreadRunner(wxEvtHandler& window) : m_window(window) {}
    ~UiThreadRunner() override;

    void RunAndWait(std::function<void()> work, std::stop_token stop) override;

    // The window is going away: calls waiting now and every later call return at once, unhandled.
    void Detach();

private:
    class PendingCall;

    bool IsDetached();

    wxEvtHandler& m_window;
    std::mutex m_mutex;
    bool m_detached = false;
    std::vector<std::shared_ptr<PendingCall>> m_pending;
};

}  // namespace velanto
