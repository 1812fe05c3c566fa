#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "chart/svg_chart.h"
#include "chart/trend_chart.h"

namespace {

constexpr velanto::ChartTime kYearStart = 1767225600;  // 2026-01-01 00:00
constexpr velanto::ChartTime kYear = 365 * 86400;

// A year of one program's results: 3 % Failed, 5 % Caution, the limits changed every 2000 results, and a few
// results of 0 RLU; in time order as the store gives them, or shuffled.
std::vector<velanto::TrendPoint> YearOfResults(std::size_t count, bool shuffled) {
    std::mt19937 random(20260101);
    std::uniform_int_distribution<int> percent(0, 99);
    std::vector<velanto::TrendPoint> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        velanto::TrendPoint point;
        point.when = kYearStart + static_cast<velanto::ChartTime>(i) * kYear / static_cast<velanto::ChartTime>(count);
        point.lower = 10;
        point.upper = 150 + 25 * static_cast<std::int64_t>(i / 2000 % 4);
        point.key = static_cast<std::int64_t>(i);
        const int roll = percent(random);
        if (roll < 3) {
            point.verdict = velanto::Verdict::Failed;
            point.rlu = point.upper * 2 + random() % 20000;
        } else if (roll < 8) {
            point.verdict = velanto::Verdict::Caution;
            point.rlu = point.upper + 1 + random() % point.upper;
        } else {
            point.verdict = velanto::Verdict::Pass;
            point.rlu = roll == 99 ? 0 : point.lower + random() % (point.upper - point.lower);
        }
        points.push_back(point);
    }
    if (shuffled) {
        std::shuffle(points.begin(), points.end(), random);
    }
    return points;
}

// The chart of a year's results laid out for a 1000 x 400 window, on a linear (0) or logarithmic (1) axis,
// from results in time order (0) or shuffled (1).
void BM_LayOutTrend(benchmark::State& state) {
    const std::vector<velanto::TrendPoint> points =
        YearOfResults(static_cast<std::size_t>(state.range(0)), state.range(2) == 1);
    const velanto::TrendView view{{1000, 400}, state.range(1) == 1, std::nullopt, std::nullopt};
    std::size_t markers = 0;
    for (auto _ : state) {
        const velanto::TrendScene scene = velanto::LayOutTrend(points, view);
        markers = scene.markers.size();
        benchmark::DoNotOptimize(markers);
    }
    state.counters["markers"] = static_cast<double>(markers);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LayOutTrend)
    ->Args({100000, 0, 0})
    ->Args({100000, 1, 0})
    ->Args({100000, 0, 1})
    ->Args({100000, 1, 1})
    ->Unit(benchmark::kMillisecond);

// A laid-out chart written as SVG for the report: its time and its size, binned (100,000 results) and with
// a marker for each result (2000 results on a chart wide enough for each).
void BM_SvgOf(benchmark::State& state) {
    const std::vector<velanto::TrendPoint> points = YearOfResults(static_cast<std::size_t>(state.range(0)), false);
    const velanto::TrendView view{{static_cast<double>(state.range(1)), 400}, true, std::nullopt, std::nullopt};
    const velanto::TrendScene scene = velanto::LayOutTrend(points, view);
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = velanto::SvgOf(scene).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["markers"] = static_cast<double>(scene.markers.size());
    state.counters["svg_kB"] = static_cast<double>(bytes) / 1000;
}
BENCHMARK(BM_SvgOf)->Args({100000, 1000})->Args({2000, 16000})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
