#include "chart/axis.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

namespace velanto {
namespace {

// Room for rounding: a tick computed as 0.30000000000000004 still lies within [0, 0.3].
constexpr double kTickSlack = 1e-9;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// A number as an axis shows it: "0", "250", "1.5k", "12k", "2M", "0.05"; as many decimals as `step` needs
// and no trailing zeros, with thousands and millions shortened alike on linear and logarithmic axes.
std::string NumberLabelOf(double value, double step) {
    if (std::abs(value) < step * kTickSlack) {
        return "0";
    }
    static constexpr std::array<std::pair<double, const char*>, 3> kUnits{{{1e9, "G"}, {1e6, "M"}, {1e3, "k"}}};
    double divisor = 1;
    const char* suffix = "";
    for (const auto& [size, name] : kUnits) {
        if (std::abs(value) >= size) {
            divisor = size;
            suffix = name;
            break;
        }
    }
    const double scaledStep = step / divisor;
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(scaledStep) - kTickSlack)), 0, 12);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value / divisor);
    std::string label = text;
    if (label.find('.') != std::string::npos) {
        label.erase(label.find_last_not_of('0') + 1);
        if (label.back() == '.') {
            label.pop_back();
        }
    }
    return label + suffix;
}

// The smallest step of 1, 2 or 5 times a power of ten that is at least `least`.
double RoundStepAtLeast(double least) {
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= least * (1 - kTickSlack)) {
            return factor * power;
        }
    }
    return 10 * power;
}

std::vector<Tick> TicksOfStep(double low, double high, double step) {
    std::vector<Tick> ticks;
    const auto first = static_cast<std::int64_t>(std::ceil(low / step - kTickSlack));
    const auto last = static_cast<std::int64_t>(std::floor(high / step + kTickSlack));
    for (std::int64_t i = first; i <= last; ++i) {
        const double value = static_cast<double>(i) * step;
        ticks.push_back({value, NumberLabelOf(value, step)});
    }
    return ticks;
}

// ---- Time ----

constexpr std::int64_t kMinute = 60, kHour = 3600, kDay = 86400;
// 1970-01-01 was a Thursday: weeks begin on the Mondays, four days later.
constexpr std::int64_t kFirstMonday = 4 * kDay;

// A step of the time axis: a fixed length from an origin (minutes to weeks), or a number of calendar months
// counted from year 0 (months and years), so that ticks fall on the first of a month or of a year.
struct TimeStep {
    std::int64_t seconds = 0;
    std::int64_t origin = 0;
    std::int64_t months = 0;
};

constexpr std::array<TimeStep, 19> kFixedSteps{{{kMinute},
                                                {2 * kMinute},
                                                {5 * kMinute},
                                                {10 * kMinute},
                                                {15 * kMinute},
                                                {30 * kMinute},
                                                {kHour},
                                                {2 * kHour},
                                                {3 * kHour},
                                                {6 * kHour},
                                                {12 * kHour},
                                                {kDay},
                                                {2 * kDay},
                                                {7 * kDay, kFirstMonday},
                                                {0, 0, 1},
                                                {0, 0, 2},
                                                {0, 0, 3},
                                                {0, 0, 6},
                                                {0, 0, 12}}};

std::chrono::year_month_day DateOf(ChartTime moment) {
    return std::chrono::year_month_day{std::chrono::sys_days(std::chrono::days(FloorDiv(moment, kDay)))};
}

std::int64_t MonthIndexOf(ChartTime moment) {
    const auto date = DateOf(moment);
    return std::int64_t{static_cast<int>(date.year())} * 12 + static_cast<unsigned>(date.month()) - 1;
}

ChartTime StartOfMonth(std::int64_t monthIndex) {
    const std::chrono::year_month_day first{
        std::chrono::year(static_cast<int>(FloorDiv(monthIndex, 12))),
        std::chrono::month(static_cast<unsigned>(monthIndex - FloorDiv(monthIndex, 12) * 12 + 1)), std::chrono::day(1)};
    return ChartTime{std::chrono::sys_days(first).time_since_epoch().count()} * kDay;
}

// The first and last multiple of the step within [from, to], in steps (or in months for calendar steps).
std::pair<std::int64_t, std::int64_t> StepRange(const TimeStep& step, ChartTime from, ChartTime to) {
    if (step.months == 0) {
        return {CeilDiv(from - step.origin, step.seconds), FloorDiv(to - step.origin, step.seconds)};
    }
    std::int64_t firstMonth = MonthIndexOf(from);
    if (StartOfMonth(firstMonth) < from) {
        ++firstMonth;
    }
    return {CeilDiv(firstMonth, step.months), FloorDiv(MonthIndexOf(to), step.months)};
}

ChartTime MomentOf(const TimeStep& step, std::int64_t index) {
    return step.months == 0 ? step.origin + index * step.seconds : StartOfMonth(index * step.months);
}

// Labels as a reader of the span expects: clock times under a day (the date where a day begins and at the
// first tick), month and day for days and weeks (the year at the first tick and where it changes), the
// month for months, the year for years.
std::string TimeLabelOf(const TimeStep& step, ChartTime moment, std::optional<ChartTime> previous) {
    const std::string date = IsoDateOf(moment);
    if (step.months >= 12) {
        return date.substr(0, 4);
    }
    if (step.months > 0) {
        return date.substr(0, 7);
    }
    if (step.seconds >= kDay) {
        const bool newYear = !previous || IsoDateOf(*previous).substr(0, 4) != date.substr(0, 4);
        return newYear ? date : date.substr(5);
    }
    const bool midnight = FloorDiv(moment, kDay) * kDay == moment;
    if (midnight) {
        return date.substr(5);
    }
    return previous ? TimeOfDayOf(moment) : date.substr(5) + " " + TimeOfDayOf(moment);
}

TimeStep YearsStep(std::int64_t years) { return {0, 0, 12 * years}; }

// The finest step giving at most `most` ticks: the fixed list, then 2, 5, 10, 20, 50... years.
TimeStep TimeStepFor(ChartTime from, ChartTime to, int most) {
    auto fits = [&](const TimeStep& step) {
        const auto [first, last] = StepRange(step, from, to);
        return last - first + 1 <= most;
    };
    for (const TimeStep& step : kFixedSteps) {
        if (fits(step)) {
            return step;
        }
    }
    for (std::int64_t power = 1;; power *= 10) {
        for (std::int64_t factor : {2, 5, 10}) {
            if (fits(YearsStep(factor * power)) || factor * power >= 100000) {
                return YearsStep(factor * power);
            }
        }
    }
}

}  // namespace

std::vector<Tick> LinearTicks(double low, double high, int most) {
    if (most < 1 || !std::isfinite(high - low)) {
        return {};
    }
    if (low > high) {
        std::swap(low, high);
    }
    if (high - low <= 0) {
        return {{low, NumberLabelOf(low, std::max(std::abs(low), 1.0))}};
    }
    double step = RoundStepAtLeast((high - low) / most);
    std::vector<Tick> ticks = TicksOfStep(low, high, step);
    while (ticks.size() > static_cast<std::size_t>(most)) {
        step = RoundStepAtLeast(step * (1 + 1e-6));
        ticks = TicksOfStep(low, high, step);
    }
    return ticks;
}

std::vector<Tick> LogTicks(double low, double high, int most) {
    if (most < 1 || !(low > 0) || !std::isfinite(high)) {
        return {};
    }
    if (low > high) {
        std::swap(low, high);
    }
    const int lowDecade = static_cast<int>(std::floor(std::log10(low) + kTickSlack));
    const int highDecade = static_cast<int>(std::ceil(std::log10(high) - kTickSlack));
    auto ticksOf = [&](std::initializer_list<double> factors, int everyDecades) {
        std::vector<Tick> ticks;
        for (int decade = lowDecade; decade <= highDecade; ++decade) {
            if (decade % everyDecades != 0) {
                continue;
            }
            for (double factor : factors) {
                const double value = factor * std::pow(10.0, decade);
                if (value >= low * (1 - kTickSlack) && value <= high * (1 + kTickSlack)) {
                    ticks.push_back({value, NumberLabelOf(value, value)});
                }
            }
        }
        return ticks;
    };
    std::vector<Tick> ticks;
    if (highDecade - lowDecade <= 3) {
        ticks = ticksOf({1, 2, 5}, 1);
    }
    for (int every = 1; ticks.empty() || ticks.size() > static_cast<std::size_t>(most); ++every) {
        ticks = ticksOf({1}, every);
        if (ticks.empty()) {
            break;
        }
    }
    // A span within one decade holding none of its round values: round linear ticks still say where it is.
    return ticks.size() >= 2 ? ticks : LinearTicks(low, high, most);
}

std::vector<Tick> TimeTicks(ChartTime from, ChartTime to, int most) {
    if (most < 1) {
        return {};
    }
    if (from > to) {
        std::swap(from, to);
    }
    const TimeStep step = TimeStepFor(from, to, most);
    const auto [first, last] = StepRange(step, from, to);
    std::vector<Tick> ticks;
    std::optional<ChartTime> previous;
    for (std::int64_t index = first; index <= last; ++index) {
        const ChartTime moment = MomentOf(step, index);
        ticks.push_back({static_cast<double>(moment), TimeLabelOf(step, moment, previous)});
        previous = moment;
    }
    return ticks;
}

Scale Scale::Linear(double low, double high, double fromPixel, double toPixel) {
    return Scale(false, low, high, fromPixel, toPixel);
}

Scale Scale::Logarithmic(double low, double high, double fromPixel, double toPixel) {
    return Scale(true, low, high, fromPixel, toPixel);
}

Scale::Scale(bool logarithmic, double low, double high, double fromPixel, double toPixel)
    : m_logarithmic(logarithmic && low > 0 && high > 0),
      m_low(low),
      m_high(high),
      m_fromPixel(fromPixel),
      m_toPixel(toPixel),
      m_unitLow(m_logarithmic ? std::log10(low) : low),
      m_unitHigh(m_logarithmic ? std::log10(high) : high) {}

double Scale::PixelOf(double value) const {
    if (m_logarithmic) {
        // Nothing at or below zero lies on a logarithmic axis: it stays at the axis' foot.
        if (!(value > 0)) {
            return m_fromPixel;
        }
        value = std::log10(value);
    }
    if (m_unitHigh == m_unitLow) {
        return (m_fromPixel + m_toPixel) / 2;
    }
    return m_fromPixel + (value - m_unitLow) / (m_unitHigh - m_unitLow) * (m_toPixel - m_fromPixel);
}

double Scale::ValueOf(double pixel) const {
    if (m_toPixel == m_fromPixel) {
        return m_low;
    }
    const double unit = m_unitLow + (pixel - m_fromPixel) / (m_toPixel - m_fromPixel) * (m_unitHigh - m_unitLow);
    return m_logarithmic ? std::pow(10.0, unit) : unit;
}

}  // namespace velanto
