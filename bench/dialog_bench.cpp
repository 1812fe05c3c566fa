// The record list on screen: how long from the end of an answer with a full memory to a painted
// list of 2000 rows. Needs a display (scripts/bench.sh provides a virtual one).

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/evtloop.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/record_list_view.h"
#include "app/upload_dlg.h"
#include "bench/paint_counter.h"
#include "tools/dump_generator.h"
#include "tools/pseudo_terminal.h"

namespace {

void Pump() {
    wxTheApp->ProcessPendingEvents();
    while (wxEventLoopBase::GetActive()->Pending()) {
        wxEventLoopBase::GetActive()->Dispatch();
    }
}

using velanto::bench::PaintCounter;

// COM1 mapped, in a private device map, to a pseudo-terminal whose far end stays silent: the dialog's
// transfers run as usual, and the bytes of the answer are handed to it directly.
class SilentLine {
public:
    SilentLine() {
        ::setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
        std::filesystem::create_directories(m_home / "velanto" / "dosdevices");
        std::filesystem::create_symlink(m_terminal.Path(), m_home / "velanto" / "dosdevices" / "com1");
    }
    ~SilentLine() { std::filesystem::remove_all(m_home); }

    // Starts a transfer and returns once the request has gone out: the answer may begin.
    void Request(velanto::CUploadDlg& dialog) {
        dialog.OnStart();
        std::uint8_t request = 0;
        while (::read(m_terminal.Descriptor(), &request, 1) != 1) {
            Pump();
        }
    }

private:
    std::filesystem::path m_home =
        std::filesystem::temp_directory_path() / ("velanto-dialog-bench-" + std::to_string(::getpid()));
    velanto::PseudoTerminal m_terminal;
};

// From the end of an answer (the line quiet after its 16448th byte) to the list painted with its rows.
void BM_AnswerEndToPaintedList(benchmark::State& state) {
    SilentLine line;
    velanto::CUploadDlg dialog(nullptr);
    dialog.Show();
    PaintCounter counter(dialog.RecordList());
    Pump();
    const velanto::DetectorDump image = velanto::GenerateDump({2000});
    for (auto _ : state) {
        state.PauseTiming();
        line.Request(dialog);
        for (const std::uint8_t byte : image) {
            dialog.OnPortRxChar(byte);
        }
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the quiet gap, and then some
        const int paintsBefore = counter.Paints();
        state.ResumeTiming();
        dialog.OnReceptionTick();                   // finds the answer ended and shows it
        while (counter.Paints() == paintsBefore) {  // until the rows have been drawn
            Pump();
        }
        benchmark::DoNotOptimize(dialog.RecordList().RowCount());
    }
    dialog.Hide();
}
BENCHMARK(BM_AnswerEndToPaintedList)->Unit(benchmark::kMillisecond)->Iterations(20);

// One received byte of an answer: store it and move the progress bar.
void BM_OneByteWithProgress(benchmark::State& state) {
    SilentLine line;
    velanto::CUploadDlg dialog(nullptr);
    line.Request(dialog);
    std::size_t count = 0;
    for (auto _ : state) {
        dialog.OnPortRxChar(0);
        if (++count == velanto::kDumpSize) {
            state.PauseTiming();
            line.Request(dialog);  // past a whole image the bar stands still: start the next answer
            count = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_OneByteWithProgress)->Unit(benchmark::kMicrosecond);

}  // namespace
