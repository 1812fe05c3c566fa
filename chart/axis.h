#pragma once

#include <string>
#include <vector>

#include "chart/chart_time.h"

namespace velanto {

// A mark on an axis: where it stands, in the axis' own units, and what it says.
struct Tick {
    double value = 0;
    std::string label;
    bool operator==(const Tick&) const = default;
};

// Round ticks (steps of 1, 2 or 5 times a power of ten) within [low, high], at most `most` of them.
std::vector<Tick> LinearTicks(double low, double high, int most);
// Ticks of a logarithmic axis within [low, high] (low > 0): the powers of ten, with 2 and 5 between them
// when the span holds few decades, and every other power when it holds many; at most `most` of them.
std::vector<Tick> LogTicks(double low, double high, int most);
// Ticks at round moments within [from, to] (minutes, hours, days, weeks, months or years, whichever gives at
// most `most`), labelled as a reader of that span expects: "14:30", "03-12", "2026-03", "2026".
std::vector<Tick> TimeTicks(ChartTime from, ChartTime to, int most);

// Maps values of an axis to positions on the screen and back, linearly or logarithmically.
class Scale {
public:
    static Scale Linear(double low, double high, double fromPixel, double toPixel);
    static Scale Logarithmic(double low, double high, double fromPixel, double toPixel);  // low > 0
    double PixelOf(double value) const;
    double ValueOf(double pixel) const;
    bool IsLogarithmic() const { return m_logarithmic; }
    double Low() const { return m_low; }
    double High() const { return m_high; }

private:
    Scale(bool logarithmic, double low, double high, double fromPixel, double toPixel);
    bool m_logarithmic;
    double m_low, m_high, m_fromPixel, m_toPixel;
    // The ends in the axis' own units (their logarithms on a logarithmic axis), worked out once per scale.
    double m_unitLow, m_unitHigh;
};

}  // namespace velanto
