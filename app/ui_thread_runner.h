#pragma once

#include <wx/event.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "serial/port_owner.h"

namespace velanto {

// Hands the serial link's notifications and error boxes to the user-interface thread and
// waits there until they have been handled, like a synchronous window message. A call
// that is still waiting when its stop is requested is dropped and never handled.
class UiThreadPortOwner final : public PortOwner, public SystemErrorBox {
public:
    using MessageHandler = std::function<void(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;
    using ErrorBoxPresenter = std::function<void(const std::string& text)>;

    UiThreadPortOwner(wxEvtHandler& window, MessageHandler handleMessage, ErrorBoxPresenter showErrorBox);
    ~UiThreadPortOwner() override;

    void SendPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::stop_token stop) override;
    void ShowSystemError(const std::string& text, std::stop_token stop) override;

    // The window is going away: calls waiting now and every later call return at once, unhandled.
    void Detach();

private:
    class PendingCall;

    // Runs `work` on the user-interface thread and waits for it, unless stopped or detached first.
    void RunOnUiThread(std::function<void()> work, std::stop_token stop);
    bool IsDetached();

    wxEvtHandler& m_window;
    MessageHandler m_handleMessage;
    ErrorBoxPresenter m_showErrorBox;
    std::mutex m_mutex;
    bool m_detached = false;
    std::vector<std::shared_ptr<PendingCall>> m_pending;
};

}  // namespace velanto
