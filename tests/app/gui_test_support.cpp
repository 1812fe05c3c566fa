#include "tests/app/gui_test_support.h"

#include <wx/app.h>
#include <wx/evtloop.h>

#include <thread>
#include <typeinfo>

namespace velanto::testing {

bool PumpEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        wxTheApp->ProcessPendingEvents();
        if (loop) {
            loop->DispatchTimeout(10);  // wakes as soon as another thread queues work
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

int ModalRecorder::Enter(wxDialog* dialog) {
    if (runForReal(dialog)) {
        return wxID_NONE;
    }
    Shown entry{typeid(*dialog).name(), dialog->GetTitle().utf8_string(), {}, 0, dialog->GetParent()};
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
        entry.caption = box->GetCaption().utf8_string();
        entry.message = box->GetMessage().utf8_string();
        entry.style = box->GetMessageDialogStyle();
    }
    shown.push_back(entry);
    if (onShown) {
        onShown(dialog);
    }
    return answer;
}

}  // namespace velanto::testing
