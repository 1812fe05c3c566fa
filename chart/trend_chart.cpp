#include "chart/trend_chart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

namespace velanto {
namespace {

constexpr double kCharWidth = 0.6 * kChartFontPixels;  // an average character of a sans-serif font
constexpr double kMarkerPixels = 7;                    // a marker's width, and a bin's
constexpr double kTickGap = 0.5 * kChartFontPixels;
constexpr double kLineHeight = 1.4 * kChartFontPixels;
constexpr double kTopMargin = 1.8 * kChartFontPixels;  // the legend's line
constexpr double kTimeLabels = kTickGap + kLineHeight;
constexpr int kWidestTimeLabel = 11;  // "03-12 14:30"
constexpr std::int64_t kOneMomentPadding = 30 * 60;
// Larger than any screen or page, small enough that the bins of a chart stay a few megabytes at most.
constexpr double kLargestSide = 20000;

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

RluRange RluRangeOf(std::span<const TrendPoint> shown) {
    std::int64_t low = std::numeric_limits<std::int64_t>::max(), high = 0;
    std::int64_t lowestPositive = std::numeric_limits<std::int64_t>::max();
    std::size_t notPositive = 0;
    for (const TrendPoint& point : shown) {
        low = std::min({low, point.rlu, point.lower, point.upper});
        high = std::max({high, point.rlu, point.lower, point.upper});
        for (std::int64_t value : {point.rlu, point.lower, point.upper}) {
            lowestPositive = value > 0 ? std::min(lowestPositive, value) : lowestPositive;
        }
        notPositive += point.rlu <= 0;
    }
    RluRange range{static_cast<double>(low), static_cast<double>(high), static_cast<double>(lowestPositive),
                   notPositive};
    if (shown.empty()) {
        range.low = 0;
    }
    if (lowestPositive == std::numeric_limits<std::int64_t>::max()) {
        range.lowestPositive = std::numeric_limits<double>::max();
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

// Markers in drawing order: Pass, Caution, then Failed on top, each by time. When there are more results than
// the plot's width shows, one marker per verdict and marker-sized cell, so a Failed place always keeps its own.
std::vector<Marker> MarkersOf(std::span<const TrendPoint> byTime, const Scale& x, const Scale& y,
                              const TrendScene& scene) {
    const auto columns = static_cast<std::size_t>(std::ceil((scene.plotRight - scene.plotLeft) / kMarkerPixels)) + 1;
    const auto rows = static_cast<std::size_t>(std::ceil((scene.plotBottom - scene.plotTop) / kMarkerPixels)) + 1;
    std::vector<bool> taken(scene.binned ? 3 * columns * rows : 0);
    std::array<std::vector<Marker>, 3> byVerdict;
    for (const TrendPoint& point : byTime) {
        const auto rank = static_cast<std::size_t>(point.verdict);
        const PixelPoint at{x.PixelOf(static_cast<double>(point.when)),
                            std::clamp(y.PixelOf(static_cast<double>(point.rlu)), scene.plotTop, scene.plotBottom)};
        if (scene.binned) {
            const auto column = static_cast<std::size_t>(std::max(0.0, (at.x - scene.plotLeft) / kMarkerPixels));
            const auto row = static_cast<std::size_t>(std::max(0.0, (at.y - scene.plotTop) / kMarkerPixels));
            const std::size_t cell = (rank * rows + std::min(row, rows - 1)) * columns + std::min(column, columns - 1);
            if (taken[cell]) {
                continue;
            }
            taken[cell] = true;
        }
        byVerdict.at(rank).push_back({at, point.verdict, point.key});
    }
    std::vector<Marker> markers = std::move(byVerdict[0]);
    markers.insert(markers.end(), byVerdict[1].begin(), byVerdict[1].end());
    markers.insert(markers.end(), byVerdict[2].begin(), byVerdict[2].end());
    return markers;
}

// A run whose limit changed many times within a pixel's width (two detectors' settings taking turns, say)
// keeps, for each such place, where the line comes in, its lowest and highest point, and where it goes on:
// the same drawing, in a few corners a column.
std::vector<PixelPoint> WithinPixelColumns(const std::vector<PixelPoint>& run) {
    std::vector<PixelPoint> thinned;
    for (std::size_t first = 0, last = 0; first < run.size(); first = last + 1) {
        double top = run[first].y, bottom = run[first].y;
        for (last = first; last + 1 < run.size() && std::floor(run[last + 1].x) == std::floor(run[first].x); ++last) {
            top = std::min(top, run[last + 1].y);
            bottom = std::max(bottom, run[last + 1].y);
        }
        if (last - first < 4) {
            thinned.insert(thinned.end(), run.begin() + static_cast<std::ptrdiff_t>(first),
                           run.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        } else {
            const double x = run[first].x;
            thinned.insert(thinned.end(), {run[first], {x, top}, {x, bottom}, {x, run[last].y}});
        }
    }
    return thinned;
}

// A limit as step lines: held from the plot's left edge until the first result that was judged by another
// value, then stepping to it, on to the right edge. A limit the axis cannot show (0 on a logarithmic axis)
// breaks the line.
std::vector<std::vector<PixelPoint>> LimitLineOf(std::span<const TrendPoint> byTime, std::int64_t TrendPoint::*limit,
                                                 const Scale& x, const Scale& y, const TrendScene& scene) {
    std::vector<std::vector<PixelPoint>> runs;
    std::vector<PixelPoint> run;
    auto finishRun = [&](double atX) {
        if (!run.empty()) {
            run.push_back({atX, run.back().y});
            runs.push_back(WithinPixelColumns(run));
            run.clear();
        }
    };
    for (std::size_t i = 0; i < byTime.size(); ++i) {
        const std::int64_t value = byTime[i].*limit;
        if (i > 0 && value == byTime[i - 1].*limit) {
            continue;
        }
        const double atX = i == 0 ? scene.plotLeft : x.PixelOf(static_cast<double>(byTime[i].when));
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

// Sorts (moment, index) pairs by moment, keeping the given order among equals, in linear time: a year of
// shuffled results sorts several times faster by the digits of their offsets from the earliest moment.
void SortByMoment(std::vector<std::pair<ChartTime, std::size_t>>& order) {
    if (order.empty()) {
        return;
    }
    constexpr int kDigitBits = 11;
    constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;
    const ChartTime earliest = std::min_element(order.begin(), order.end())->first;
    const auto span = static_cast<std::uint64_t>(std::max_element(order.begin(), order.end())->first - earliest);
    std::vector<std::pair<ChartTime, std::size_t>> sorted(order.size());
    for (int shift = 0; shift < 64 && (span >> shift) != 0; shift += kDigitBits) {
        auto digitOf = [&](ChartTime moment) {
            return static_cast<std::size_t>((static_cast<std::uint64_t>(moment - earliest) >> shift) & (kDigits - 1));
        };
        std::vector<std::size_t> starts(kDigits + 1, 0);
        for (const auto& entry : order) {
            ++starts[digitOf(entry.first) + 1];
        }
        std::partial_sum(starts.begin(), starts.end(), starts.begin());
        for (const auto& entry : order) {
            sorted[starts[digitOf(entry.first)]++] = entry;
        }
        order.swap(sorted);
    }
}

// The results within the period, by time (and as given among equals): the points themselves when they are
// so already, as a store gives them, or else a sorted copy, sorting moments with indexes rather than whole
// results to keep a year's sort short.
std::span<const TrendPoint> ShownByTime(std::span<const TrendPoint> points, const Period& period,
                                        std::vector<TrendPoint>& copy) {
    auto shown = [&](const TrendPoint& point) { return point.when >= period.from && point.when <= period.to; };
    auto earlier = [](const TrendPoint& a, const TrendPoint& b) { return a.when < b.when; };
    if (std::all_of(points.begin(), points.end(), shown) && std::is_sorted(points.begin(), points.end(), earlier)) {
        return points;
    }
    std::vector<std::pair<ChartTime, std::size_t>> order;
    order.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (shown(points[i])) {
            order.emplace_back(points[i].when, i);
        }
    }
    SortByMoment(order);
    copy.reserve(order.size());
    for (const auto& [when, index] : order) {
        copy.push_back(points[index]);
    }
    return copy;
}

std::vector<AxisMark> MarksOf(const std::vector<Tick>& ticks, const Scale& scale) {
    std::vector<AxisMark> marks;
    for (const Tick& tick : ticks) {
        marks.push_back({scale.PixelOf(tick.value), tick.label});
    }
    return marks;
}

double SideOf(double pixels) { return std::isfinite(pixels) ? std::clamp(pixels, 0.0, kLargestSide) : 0; }

// The plot within the margins: the legend above, the RLU title and labels to the left (and half the first time
// label), the time labels below and, when there is something to say, a note under them.
void PlaceThePlot(TrendScene& scene, const std::vector<Tick>& rluTicks, std::size_t offAxis) {
    double widestRluLabel = 0;
    for (const Tick& tick : rluTicks) {
        widestRluLabel = std::max(widestRluLabel, TextWidth(tick.label));
    }
    scene.plotTop = kTopMargin;
    scene.plotLeft = std::max(kLineHeight + widestRluLabel + kTickGap, kWidestTimeLabel * kCharWidth / 2 + 2);
    scene.plotRight = std::max(scene.plotLeft + 1, scene.size.width - kWidestTimeLabel * kCharWidth / 2);
    scene.binned = static_cast<double>(scene.results) > (scene.plotRight - scene.plotLeft) / kMarkerPixels;
    scene.note = NoteOf(scene.results, scene.binned, offAxis);
    scene.plotBottom =
        std::max(scene.plotTop + 1, scene.size.height - kTimeLabels - (scene.note.empty() ? 0 : kLineHeight));
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
    scene.size = {SideOf(view.size.width), SideOf(view.size.height)};
    const Period period = PeriodOf(points, view);
    scene.from = period.axisFrom, scene.to = period.axisTo;

    std::vector<TrendPoint> sorted;
    const std::span<const TrendPoint> byTime = ShownByTime(points, period, sorted);
    scene.results = byTime.size();
    const RluRange range = RluRangeOf(byTime);
    // The RLU ticks are chosen as though a note took its line below the plot, so that they fit either way.
    const int rluMost = std::max(
        2, static_cast<int>((scene.size.height - kTopMargin - kTimeLabels - kLineHeight) / (2.5 * kChartFontPixels)));
    const RluAxis rlu = RluAxisOf(range, view.logarithmic, rluMost);
    PlaceThePlot(scene, rlu.ticks, view.logarithmic ? range.notPositive : 0);

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
