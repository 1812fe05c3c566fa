// velanto records' window over a store of a million records (500 downloads of 2000): how long from the
// window's start to its first rows painted, and from a filter's change to the rows painted. Needs a
// display (scripts/bench.sh provides a virtual one).

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/evtloop.h>

#include <filesystem>

#include "bench/million_record_store.h"
#include "bench/paint_counter.h"
#include "records_ui/record_list.h"
#include "records_ui/records_frame.h"
#include "store/record_store.h"

namespace {

// One turn of the event loop as the program's own runs it: the display's events first, the program's
// queued calls and idle work only when none is waiting.
void Turn() {
    if (wxEventLoopBase::GetActive()->Pending()) {
        wxEventLoopBase::GetActive()->Dispatch();
    } else {
        wxTheApp->ProcessIdle();
    }
}

using velanto::bench::MillionRecordStore;
using velanto::bench::PaintCounter;

void BM_StartToFirstRowsPainted(benchmark::State& state) {
    const std::filesystem::path store = MillionRecordStore();
    for (auto _ : state) {
        auto* frame = new velanto::RecordsFrame(store);
        auto* list = dynamic_cast<velanto::RecordList*>(wxWindow::FindWindowByName("records", frame));
        PaintCounter counter(*list);
        frame->Show();
        while (counter.Paints() == 0) {
            Turn();
        }
        state.counters["rows"] = static_cast<double>(list->GetItemCount());
        state.PauseTiming();
        frame->Destroy();
        Turn();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstRowsPainted)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// A program chosen: all its records selected from the store, tallied, and the first of them painted.
void BM_FilterByProgramToRowsPainted(benchmark::State& state) {
    velanto::RecordStore store(MillionRecordStore(), velanto::RecordStore::Access::ReadOnly);
    wxFrame frame(nullptr, wxID_ANY, "bench", wxDefaultPosition, wxSize(1000, 700));
    auto* list = new velanto::RecordList(&frame);
    frame.Show();
    PaintCounter counter(*list);
    Turn();
    std::int64_t program = 0;
    for (auto _ : state) {
        velanto::RecordFilter filter;
        filter.program = 1 + program++ % 12;
        const int paints = counter.Paints();
        bool complete = false;
        list->Show(&store, store.OpenSelection(filter), [&complete] { complete = true; });
        while (!complete || counter.Paints() == paints) {
            Turn();
        }
    }
    frame.Hide();
}
BENCHMARK(BM_FilterByProgramToRowsPainted)->Unit(benchmark::kMillisecond)->Iterations(12)->UseRealTime();

}  // namespace
