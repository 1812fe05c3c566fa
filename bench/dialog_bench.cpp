// The record list on screen: how long from the last byte of a full memory to a painted list
// of 2000 rows. Needs a display (scripts/bench.sh provides a virtual one).

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include "app/record_list_view.h"
#include "app/upload_dlg.h"
#include "tools/dump_generator.h"

namespace {

void Pump() {
    wxTheApp->ProcessPendingEvents();
    while (wxEventLoopBase::GetActive()->Pending()) {
        wxEventLoopBase::GetActive()->Dispatch();
    }
}

// Counts the paints of the list's rows, which the generic list draws in a child window.
class PaintCounter {
public:
    explicit PaintCounter(wxWindow& list) {
        for (wxWindow* child : list.GetChildren()) {
            child->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
                ++m_paints;
                event.Skip();
            });
        }
    }
    int Paints() const { return m_paints; }

private:
    int m_paints = 0;
};

void BM_LastByteToPaintedList(benchmark::State& state) {
    velanto::CUploadDlg dialog(nullptr);
    dialog.Show();
    PaintCounter counter(dialog.RecordList());
    Pump();
    const velanto::DetectorDump image = velanto::GenerateDump({2000});
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i + 1 < image.size(); ++i) {
            dialog.OnPortRxChar(image[i], 1);
        }
        Pump();
        const int paintsBefore = counter.Paints();
        state.ResumeTiming();
        dialog.OnPortRxChar(image.back(), 1);
        while (counter.Paints() == paintsBefore) {  // until the rows have been drawn
            Pump();
        }
        benchmark::DoNotOptimize(dialog.RecordList().RowCount());
    }
    dialog.Hide();
}
BENCHMARK(BM_LastByteToPaintedList)->Unit(benchmark::kMillisecond)->Iterations(20);

// One received byte that does not complete the image: store it and move the progress bar.
void BM_OneByteWithProgress(benchmark::State& state) {
    velanto::CUploadDlg dialog(nullptr);
    std::size_t count = 0;
    for (auto _ : state) {
        dialog.OnPortRxChar(0, 1);
        if (++count == velanto::kDumpSize - 1) {
            state.PauseTiming();
            dialog.OnPortRxChar(0, 1);  // a zero image decodes to no rows
            count = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_OneByteWithProgress)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        return 1;
    }
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    wxEntryCleanup();
    return 0;
}
