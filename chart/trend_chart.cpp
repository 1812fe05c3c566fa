#include "chart/trend_chart.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velanto {
namespace {

constexpr double kCharWidth = 0.6 * kChartFontPixels;  // an average character of a sans-serif font
constexpr double kMarkerPixels = 7;                    // a marker's width, and a bin's
constexpr double kTickGap = 0.5 * kChartFontPixels;
constexpr double kLineHeight = 1.4 * kChartFontPixels;
constexpr int kWidestTimeLabel = 11;  // "03-12 14:30"
constexpr std::int64_t kOneMomentPadding = 30 * 60;

double TextWidth(const std::string& text) { return static_cast<double>(text.size()) * kCharWidth; }

struct Period {
    ChartTime from = 0, to = 0;          // what counts as shown
    ChartTime axisFrom = 0, axisTo = 0;  // what the axis spans: the points' own, padded
};

Period PeriodOf(std::span<const TrendPoint> points, const TrendView& view) {
    ChartTime earliest = std::numeric_limits<ChartTime>::max(), latest = std::numeric_limits<ChartTime>::min();
    for (const TrendPoint& point : points) {
        earliest = std::min(earliest, point.when);
        latest = std::max(latest, point.when);
    }
    if (points.empty()) {
        earliest = latest = view.from.value_or(view.to.value_or(0));
    }
    Period period{view.from.value_or(earliest), view.to.value_or(latest)};
    if (period.from > period.to) {
        std::swap(period.from, period.to);
    }
    period.axisFrom = period.from, period.axisTo = period.to;
    // The points' own span gets a margin so that the first and last marker do not sit on the frame.
    const ChartTime padding = std::max<ChartTime>((period.to - period.from) / 50, 1);
    if (!view.from) {
        period.axisFrom -= padding;
    }
    if (!view.to) {
        period.axisTo += padding;
    }
    if (period.axisTo - period.axisFrom < 2) {
        period.axisFrom -= kOneMomentPadding;
        period.axisTo += kOneMomentPadding;
    }
    return period;
}

// The RLU values a result needs room for: itself and both its limits.
struct RluRange {
    double low = std::numeric_limits<double>::max(), high = 0;
    double lowestPositive = std::numeric_limits<double>::max();
    std::size_t notPositive = 0;  // results a logarithmic axis cannot hold
};

RluRange RluRangeOf(std::span<const TrendPoint* const> shown) {
    RluRange range;
    for (const TrendPoint* point : shown) {
        for (std::int64_t value : {point->rlu, point->lower, point->upper}) {
            range.low = std::min(range.low, static_cast<double>(value));
            range.high = std::max(range.high, static_cast<double>(value));
            if (value > 0) {
                range.lowestPositive = std::min(range.lowestPositive, static_cast<double>(value));
            }
        }
        range.notPositive += point->rlu <= 0;
    }
    return range;
}

struct RluAxis {
    double low = 0, high = 0;
    std::vector<Tick> ticks;
};

// Linear: from zero (or a round value below a negative) to a round value above the highest; logarithmic: from
// the decade at or below the lowest positive value to the decade at or above the highest.
RluAxis RluAxisOf(const RluRange& range, bool logarithmic, int most) {
    if (logarithmic) {
        double low = range.lowestPositive == std::numeric_limits<double>::max() ? 1 : range.lowestPositive;
        double high = std::max(range.high, low);
        low = std::pow(10.0, std::floor(std::log10(low)));
        high = std::max(std::pow(10.0, std::ceil(std::log10(high))), low * 10);
        return {low, high, LogTicks(low, high, most)};
    }
    double low = std::min(range.low, 0.0), high = std::max(range.high, 0.0);
    if (high <= low) {
        high = low + 10;
    }
    const std::vector<Tick> first = LinearTicks(low, high, most);
    const double step = first.size() >= 2 ? first[1].value - first[0].value : high - low;
    low = std::floor(low / step) * step;
    high = std::ceil(high / step) * step;
    return {low, high, LinearTicks(low, high, most)};
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + (count == 1 ? one : many);
}

std::string NoteOf(std::size_t results, bool binned, std::size_t offAxis) {
    std::vector<std::string> parts;
    if (results == 0) {
        parts.push_back("No results in this period");
    }
    if (binned) {
        parts.push_back(std::to_string(results) + " results, drawn binned: a mark stands for all results in its place");
    }
    if (offAxis > 0) {
        parts.push_back(Plural(offAxis, " result", " results") + " of 0 RLU drawn at the axis' foot");
    }
    std::string note;
    for (const std::string& part : parts) {
        note += (note.empty() ? "" : "; ") + part;
    }
    return note;
}

int VerdictRank(Verdict verdict) { return static_cast<int>(verdict); }

// Markers in drawing order: Pass, Caution, then Failed on top, each by time. When there are more results than
// the plot's width shows, one marker per verdict and marker-sized cell, so a Failed place always keeps its own.
std::vector<Marker> MarkersOf(std::span<const TrendPoint* const> byTime, const Scale& x, const Scale& y,
                              const TrendScene& scene) {
    const auto columns = static_cast<std::size_t>(std::ceil((scene.plotRight - scene.plotLeft) / kMarkerPixels)) + 1;
    const auto rows = static_cast<std::size_t>(std::ceil((scene.plotBottom - scene.plotTop) / kMarkerPixels)) + 1;
    std::vector<bool> taken(scene.binned ? 3 * columns * rows : 0);
    std::vector<Marker> markers;
    for (int rank = 0; rank < 3; ++rank) {
        for (const TrendPoint* point : byTime) {
            if (VerdictRank(point->verdict) != rank) {
                continue;
            }
            const PixelPoint at{
                x.PixelOf(static_cast<double>(point->when)),
                std::clamp(y.PixelOf(static_cast<double>(point->rlu)), scene.plotTop, scene.plotBottom)};
            if (scene.binned) {
                const auto column = static_cast<std::size_t>(std::max(0.0, (at.x - scene.plotLeft) / kMarkerPixels));
                const auto row = static_cast<std::size_t>(std::max(0.0, (at.y - scene.plotTop) / kMarkerPixels));
                const std::size_t cell = (static_cast<std::size_t>(rank) * rows + std::min(row, rows - 1)) * columns +
                                         std::min(column, columns - 1);
                if (taken[cell]) {
                    continue;
                }
                taken[cell] = true;
            }
            markers.push_back({at, point->verdict, point->key});
        }
    }
    return markers;
}

// A limit as step lines: held from the plot's left edge until the first result that was judged by another
// value, then stepping to it, on to the right edge. A limit the axis cannot show (0 on a logarithmic axis)
// breaks the line.
std::vector<std::vector<PixelPoint>> LimitLineOf(std::span<const TrendPoint* const> byTime,
                                                 std::int64_t TrendPoint::*limit, const Scale& x, const Scale& y,
                                                 const TrendScene& scene) {
    std::vector<std::vector<PixelPoint>> runs;
    std::vector<PixelPoint> run;
    auto finishRun = [&](double atX) {
        if (!run.empty()) {
            run.push_back({atX, run.back().y});
            runs.push_back(std::move(run));
            run.clear();
        }
    };
    for (std::size_t i = 0; i < byTime.size(); ++i) {
        const std::int64_t value = byTime[i]->*limit;
        if (i > 0 && value == byTime[i - 1]->*limit) {
            continue;
        }
        const double atX = i == 0 ? scene.plotLeft : x.PixelOf(static_cast<double>(byTime[i]->when));
        if (y.IsLogarithmic() && value <= 0) {
            finishRun(atX);
            continue;
        }
        if (!run.empty()) {
            run.push_back({atX, run.back().y});
        }
        run.push_back({atX, y.PixelOf(static_cast<double>(value))});
    }
    finishRun(scene.plotRight);
    return runs;
}

std::vector<AxisMark> MarksOf(const std::vector<Tick>& ticks, const Scale& scale) {
    std::vector<AxisMark> marks;
    for (const Tick& tick : ticks) {
        marks.push_back({scale.PixelOf(tick.value), tick.label});
    }
    return marks;
}

}  // namespace

MarkerStyle StyleOf(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass: return {MarkerShape::Circle, 0x1b7837};
        case Verdict::Caution: return {MarkerShape::Triangle, 0xd98c00};
        case Verdict::Failed: return {MarkerShape::Square, 0xc2182b};
    }
    return {MarkerShape::Circle, 0};
}

TrendScene LayOutTrend(std::span<const TrendPoint> points, const TrendView& view) {
    TrendScene scene;
    scene.size = view.size;
    const Period period = PeriodOf(points, view);
    scene.from = period.axisFrom, scene.to = period.axisTo;

    std::vector<const TrendPoint*> byTime;
    for (const TrendPoint& point : points) {
        if (point.when >= period.from && point.when <= period.to) {
            byTime.push_back(&point);
        }
    }
    std::stable_sort(byTime.begin(), byTime.end(),
                     [](const TrendPoint* a, const TrendPoint* b) { return a->when < b->when; });
    scene.results = byTime.size();
    const RluRange range = RluRangeOf(byTime);
    const std::size_t offAxis = view.logarithmic ? range.notPositive : 0;

    // The margins hold the legend above, the RLU title and labels to the left, the time labels and a note
    // below; the RLU ticks are chosen as though the note were there, so that both passes agree.
    scene.plotTop = 1.8 * kChartFontPixels;
    const double timeLabels = kTickGap + kLineHeight;
    const int rluMost = std::max(
        2, static_cast<int>((view.size.height - scene.plotTop - timeLabels - kLineHeight) / (2.5 * kChartFontPixels)));
    const RluAxis rlu = RluAxisOf(range, view.logarithmic, rluMost);
    double widestRluLabel = 0;
    for (const Tick& tick : rlu.ticks) {
        widestRluLabel = std::max(widestRluLabel, TextWidth(tick.label));
    }
    scene.plotLeft = kLineHeight + widestRluLabel + kTickGap;
    scene.plotRight = std::max(scene.plotLeft + 1, view.size.width - kWidestTimeLabel * kCharWidth / 2);
    scene.binned = static_cast<double>(scene.results) > (scene.plotRight - scene.plotLeft) / kMarkerPixels;
    scene.note = NoteOf(scene.results, scene.binned, offAxis);
    scene.plotBottom =
        std::max(scene.plotTop + 1, view.size.height - timeLabels - (scene.note.empty() ? 0 : kLineHeight));

    const Scale x =
        Scale::Linear(static_cast<double>(scene.from), static_cast<double>(scene.to), scene.plotLeft, scene.plotRight);
    const Scale y = view.logarithmic ? Scale::Logarithmic(rlu.low, rlu.high, scene.plotBottom, scene.plotTop)
                                     : Scale::Linear(rlu.low, rlu.high, scene.plotBottom, scene.plotTop);
    const int timeMost =
        std::max(1, static_cast<int>((scene.plotRight - scene.plotLeft) / ((kWidestTimeLabel + 2) * kCharWidth)));
    scene.timeMarks = MarksOf(TimeTicks(scene.from, scene.to, timeMost), x);
    scene.rluMarks = MarksOf(rlu.ticks, y);
    scene.rluTitle = view.logarithmic ? "RLU (log)" : "RLU";
    scene.upperLimit = LimitLineOf(byTime, &TrendPoint::upper, x, y, scene);
    scene.lowerLimit = LimitLineOf(byTime, &TrendPoint::lower, x, y, scene);
    scene.markers = MarkersOf(byTime, x, y, scene);
    return scene;
}

std::optional<std::int64_t> KeyNear(const TrendScene& scene, PixelPoint at, double radius) {
    std::optional<std::int64_t> nearest;
    double nearestSquare = radius * radius;
    // The last marker is drawn on top: among equally near ones, it is the one the reader sees.
    for (const Marker& marker : scene.markers) {
        const double dx = marker.at.x - at.x, dy = marker.at.y - at.y;
        if (dx * dx + dy * dy <= nearestSquare) {
            nearestSquare = dx * dx + dy * dy;
            nearest = marker.key;
        }
    }
    return nearest;
}

ChartTime TimeAt(const TrendScene& scene, double x) {
    const Scale scale =
        Scale::Linear(static_cast<double>(scene.from), static_cast<double>(scene.to), scene.plotLeft, scene.plotRight);
    return static_cast<ChartTime>(std::llround(scale.ValueOf(std::clamp(x, scene.plotLeft, scene.plotRight))));
}

}  // namespace velanto
