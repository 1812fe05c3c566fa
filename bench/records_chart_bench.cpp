// velanto records' trend of a year's 100,000 results of one program (3% Failed, 5% Caution, the limits
// changed each quarter) on a panel of 1000 x 400: laid out, drawn, and a refresh of the window painted, on
// a linear and a logarithmic RLU axis. Needs a display (scripts/bench.sh provides a virtual one).

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/frame.h>

#include <memory>
#include <random>

#include "records_ui/trend_panel.h"

namespace {

using velanto::TrendData;
using velanto::TrendPanel;
using velanto::Verdict;

constexpr std::size_t kResults = 100000;

TrendData YearOfResults() {
    TrendData data;
    std::mt19937 engine(7);
    const velanto::ChartTime start = *velanto::ChartTimeOf("2026-01-01", "00:00");
    constexpr velanto::ChartTime kYear = 365 * 86400;
    for (std::size_t k = 0; k < kResults; ++k) {
        const velanto::ChartTime when = start + static_cast<velanto::ChartTime>(k * kYear / kResults);
        const std::int64_t quarter = static_cast<std::int64_t>(4 * k / kResults);
        const std::int64_t lower = 100 + 10 * quarter, upper = 600 + 50 * quarter;
        const unsigned draw = engine() % 100;
        const Verdict verdict = draw < 3 ? Verdict::Failed : draw < 8 ? Verdict::Caution : Verdict::Pass;
        const std::int64_t rlu = verdict == Verdict::Failed    ? upper + 1 + engine() % 2000
                                 : verdict == Verdict::Caution ? lower + 1 + engine() % (upper - lower)
                                                               : 1 + engine() % lower;
        data.points.push_back({when, rlu, lower, upper, verdict, static_cast<std::int64_t>(k + 1)});
    }
    return data;
}

// A frame holding one trend panel of 1000 x 400 with the year's results, on the axis `logarithmic` says.
struct ChartWindow {
    explicit ChartWindow(bool logarithmic) {
        frame->SetClientSize(1000, 400);
        panel = new TrendPanel(frame.get(), [](std::int64_t) {});
        panel->SetSize(frame->GetClientSize());
        panel->SetLogarithmic(logarithmic);
        panel->ShowTrend(YearOfResults());
    }
    std::unique_ptr<wxFrame> frame = std::make_unique<wxFrame>(nullptr, wxID_ANY, "bench");
    TrendPanel* panel = nullptr;
};

void Counters(benchmark::State& state, const TrendPanel& panel) {
    state.counters["results"] = static_cast<double>(panel.Scene().results);
    state.counters["markers"] = static_cast<double>(panel.Scene().markers.size());
}

// Each benchmark on both kinds of RLU axis, the median of five runs of ten.
void LinearAndLogarithmic(benchmark::internal::Benchmark* run) {
    run->ArgName("log")
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

// New data: the trend laid out for the panel (the points copied in, as the window takes them).
void BM_TrendLaidOut(benchmark::State& state) {
    ChartWindow window(state.range(0) != 0);
    const TrendData data = YearOfResults();
    for (auto _ : state) {
        window.panel->ShowTrend(data);
    }
    Counters(state, *window.panel);
}
BENCHMARK(BM_TrendLaidOut)->Apply(LinearAndLogarithmic);

// A paint's work: the laid-out trend drawn, on a bitmap the panel's size.
void BM_TrendDrawn(benchmark::State& state) {
    ChartWindow window(state.range(0) != 0);
    wxBitmap bitmap(1000, 400, 24);
    wxMemoryDC dc(bitmap);
    for (auto _ : state) {
        window.panel->Draw(dc);
    }
    Counters(state, *window.panel);
}
BENCHMARK(BM_TrendDrawn)->Apply(LinearAndLogarithmic);

// The window asked to draw again: from Refresh to the panel's paint done, through the event loop, as a
// zoom or a drag's band does it.
void BM_TrendRefreshedOnScreen(benchmark::State& state) {
    ChartWindow window(state.range(0) != 0);
    int paints = 0;
    window.panel->Bind(wxEVT_PAINT, [&paints](wxPaintEvent& event) {
        event.Skip();
        ++paints;
    });
    window.frame->Show();
    const auto paintedAgain = [&paints] {
        const int before = paints;
        while (paints == before) {
            if (wxEventLoopBase::GetActive()->Pending()) {
                wxEventLoopBase::GetActive()->Dispatch();
            } else {
                wxTheApp->ProcessIdle();
            }
        }
    };
    window.panel->Refresh();
    paintedAgain();
    for (auto _ : state) {
        window.panel->Refresh();
        paintedAgain();
    }
    Counters(state, *window.panel);
    window.frame->Hide();
}
BENCHMARK(BM_TrendRefreshedOnScreen)->Apply(LinearAndLogarithmic)->UseRealTime();

}  // namespace
