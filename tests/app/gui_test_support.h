#pragma once

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace velanto::testing {

// Runs the user-interface thread's pending work until `done` holds or `timeout` passes;
// returns whether `done` held.
bool PumpEventsUntil(const std::function<bool()>& done,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// Answers every modal dialog at once instead of showing it, and records what was shown.
// Dialogs for which `runForReal` holds are shown as usual.
class ModalRecorder final : public wxModalDialogHook {
public:
    struct Shown {
        std::string type;
        std::string caption;
        std::string message;  // message boxes only
        long style = 0;       // message boxes only
        wxWindow* parent = nullptr;
    };

    ModalRecorder() { Register(); }
    ~ModalRecorder() override { Unregister(); }

    std::vector<Shown> shown;
    int answer = wxID_OK;
    std::function<bool(wxDialog*)> runForReal = [](wxDialog*) { return false; };
    std::function<void(wxDialog*)> onShown;

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}
};

}  // namespace velanto::testing
