#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chart/axis.h"
#include "chart/chart_time.h"

namespace velanto {

enum class Verdict { Pass, Caution, Failed };

// How a verdict is drawn, the same on the screen and on paper: a shape of its own, so that a colour-blind
// reader and a black-and-white print still tell them apart, and a colour.
enum class MarkerShape { Circle, Triangle, Square };
struct MarkerStyle {
    MarkerShape shape;
    unsigned rgb;  // 0xRRGGBB
};
MarkerStyle StyleOf(Verdict verdict);

// One result on a trend: when, how much, the limits it was judged by and the verdict they gave.
struct TrendPoint {
    ChartTime when = 0;
    std::int64_t rlu = 0;
    std::int64_t lower = 0;
    std::int64_t upper = 0;
    Verdict verdict = Verdict::Pass;
    std::int64_t key = 0;  // the record's key in its store
};

struct ChartSize {
    double width = 0;
    double height = 0;
};

// What to draw: the size, the RLU axis' kind, and the period shown (the points' own when empty).
struct TrendView {
    ChartSize size;
    bool logarithmic = false;
    std::optional<ChartTime> from, to;
};

struct PixelPoint {
    double x = 0;
    double y = 0;
};

// A drawn result: where, how, and the key of a record it stands for.
struct Marker {
    PixelPoint at;
    Verdict verdict = Verdict::Pass;
    std::int64_t key = 0;
};

struct AxisMark {
    double pixel = 0;  // x on the time axis, y on the RLU axis
    std::string label;
};

// A trend laid out for one size, in pixels from the top left, ready for any renderer: the frame of the plot,
// its axes' marks, the limits as step lines, and the markers, in drawing order (Failed last, on top).
struct TrendScene {
    ChartSize size;
    ChartTime from = 0, to = 0;  // the period across the plot
    double plotLeft = 0, plotTop = 0, plotRight = 0, plotBottom = 0;
    std::vector<AxisMark> timeMarks;
    std::vector<AxisMark> rluMarks;
    std::string rluTitle;  // "RLU" or "RLU (log)"
    // Each limit line is one or more runs of corners (a step where the limit changed between results).
    std::vector<std::vector<PixelPoint>> upperLimit;
    std::vector<std::vector<PixelPoint>> lowerLimit;
    std::vector<Marker> markers;
    std::size_t results = 0;  // results in the period shown
    bool binned = false;      // more results than the width shows: markers stand for several each, and no
                              // Failed result is ever left without a marker of its own place
    std::string note;         // what the reader must know: binning, results off the log axis' range, none
};

// Lays out `points` (in any order) for `view`. Font metrics are fixed (kChartFontPixels), so that the screen
// and the report lay out alike.
inline constexpr double kChartFontPixels = 11;
TrendScene LayOutTrend(std::span<const TrendPoint> points, const TrendView& view);

// The key of the record whose marker lies nearest (x, y), within `radius` pixels; nothing when none does.
std::optional<std::int64_t> KeyNear(const TrendScene& scene, PixelPoint at, double radius);
// The moment at horizontal position `x` of the plot, for zooming to a dragged span.
ChartTime TimeAt(const TrendScene& scene, double x);

}  // namespace velanto
