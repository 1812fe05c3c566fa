#include "records_ui/download_with_progress.h"

#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/utils.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace velanto {
namespace {

// What the downloading thread tells the window's thread, which looks at it between its own events.
class DownloadState final : public DownloadObserver {
public:
    DownloadState(int portNumber, std::stop_token stop) : m_portNumber(portNumber), m_stop(std::move(stop)) {}

    void OnProgress(std::size_t bytes) override { m_bytes = bytes; }
    // Waits for the window's thread to ask the operator.
    bool KeepDamagedAnswer(const AnswerFindings& findings) override {
        std::unique_lock lock(m_mutex);
        m_question = DamagedAnswerText(m_portNumber, findings);
        m_answered.wait(lock, m_stop, [this] { return m_answer.has_value(); });
        return m_answer.value_or(false);
    }

    std::size_t Bytes() const { return m_bytes; }
    std::optional<std::string> Question() {
        std::lock_guard lock(m_mutex);
        return m_answer ? std::nullopt : m_question;
    }
    void Answer(bool keep) {
        {
            std::lock_guard lock(m_mutex);
            m_answer = keep;
        }
        m_answered.notify_all();
    }

private:
    int m_portNumber;
    std::stop_token m_stop;
    std::atomic<std::size_t> m_bytes = 0;
    std::mutex m_mutex;
    std::condition_variable_any m_answered;
    std::optional<std::string> m_question;
    std::optional<bool> m_answer;
};

}  // namespace

DownloadOutcome DownloadWithProgress(wxWindow* parent, int portNumber) {
    const wxString caption = wxString::Format("Download from COM%d", portNumber);
    wxProgressDialog progress(caption, "Waiting for the detector...", static_cast<int>(kDumpSize), parent,
                              wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_ELAPSED_TIME);
    std::stop_source stop;
    DownloadState state(portNumber, stop.get_token());
    DownloadOutcome outcome;
    std::atomic<bool> done = false;
    std::jthread downloading([&] {
        outcome = DownloadDetectorMemory(portNumber, state, stop.get_token());
        done = true;
    });
    while (!done) {
        if (const std::optional<std::string> question = state.Question()) {
            const int reply = wxMessageBox(wxString::FromUTF8(*question) + "\n\nKeep its records all the same?",
                                           caption, wxYES_NO | wxNO_DEFAULT | wxICON_WARNING, &progress);
            state.Answer(reply == wxYES);
        }
        const std::size_t bytes = state.Bytes();
        const wxString text = bytes == 0 ? wxString("Waiting for the detector...")
                                         : wxString::Format("%zu of %zu bytes", bytes, kDumpSize);
        // Short of the end, where the dialog would turn into a finished one.
        if (!progress.Update(static_cast<int>(std::min(bytes, kDumpSize - 1)), text)) {
            stop.request_stop();
        }
        wxMilliSleep(30);
    }
    return outcome;
}

}  // namespace velanto
