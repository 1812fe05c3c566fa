#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/axis.h"

namespace velanto {
namespace {

std::vector<std::string> LabelsOf(const std::vector<Tick>& ticks) {
    std::vector<std::string> labels;
    for (const Tick& tick : ticks) {
        labels.push_back(tick.label);
    }
    return labels;
}

using Labels = std::vector<std::string>;

struct NumberTicksCase {
    double low, high;
    int most;
    Labels labels;
};

TEST(LinearTicks, StepsByOneTwoOrFiveWithPlainLabels) {
    const NumberTicksCase cases[] = {
        {0, 10, 6, {"0", "2", "4", "6", "8", "10"}},
        {0, 10, 11, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {0, 1000, 5, {"0", "500", "1k"}},  // 250 is no round step
        {0, 12000, 7, {"0", "2k", "4k", "6k", "8k", "10k", "12k"}},
        {0, 3000, 7, {"0", "500", "1k", "1.5k", "2k", "2.5k", "3k"}},
        {0, 0.3, 4, {"0", "0.1", "0.2", "0.3"}},
        {13, 87, 4, {"20", "40", "60", "80"}},
        {0, 2500000, 6, {"0", "500k", "1M", "1.5M", "2M", "2.5M"}},
        {5, 5, 3, {"5"}},
    };
    for (const NumberTicksCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high));
        EXPECT_EQ(LabelsOf(LinearTicks(c.low, c.high, c.most)), c.labels);
    }
}

TEST(LogTicks, ShowsDecadesWithTwoAndFiveWhenFewAndEveryOtherWhenMany) {
    const NumberTicksCase cases[] = {
        {1, 10, 10, {"1", "2", "5", "10"}},
        {3, 300, 10, {"5", "10", "20", "50", "100", "200"}},
        {3, 300, 3, {"10", "100"}},
        {1, 1e6, 10, {"1", "10", "100", "1k", "10k", "100k", "1M"}},
        {1, 1e6, 4, {"1", "100", "10k", "1M"}},
        {1, 1e6, 3, {"1", "1k", "1M"}},
        {0.01, 1, 10, {"0.01", "0.02", "0.05", "0.1", "0.2", "0.5", "1"}},
    };
    for (const NumberTicksCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high));
        EXPECT_EQ(LabelsOf(LogTicks(c.low, c.high, c.most)), c.labels);
    }
    EXPECT_TRUE(LogTicks(0, 100, 5).empty());
}

constexpr ChartTime kMinute = 60, kHour = 3600, kDay = 86400;
// 2026-03-12 14:07 (a Thursday)
constexpr ChartTime kThursday = 1773324420;

struct TimeTicksCase {
    const char* span;
    ChartTime from, to;
    int most;
    ChartTime step;  // between ticks, 0 for calendar months and years
    Labels labels;
};

TEST(TimeTicks, FallOnRoundMomentsWithLabelsForTheSpan) {
    const TimeTicksCase cases[] = {
        {"an hour", kThursday, kThursday + kHour, 5, 15 * kMinute, {"03-12 14:15", "14:30", "14:45", "15:00"}},
        {"a day", kThursday, kThursday + kDay, 5, 6 * kHour, {"03-12 18:00", "03-13", "06:00", "12:00"}},
        {"a month",
         kThursday,
         kThursday + 30 * kDay,
         5,
         7 * kDay,
         {"2026-03-16", "03-23", "03-30", "04-06"}},  // Mondays
        {"a year",
         kThursday,
         kThursday + 365 * kDay,
         6,
         0,
         {"2026-05", "2026-07", "2026-09", "2026-11", "2027-01", "2027-03"}},
        {"ten years", kThursday, kThursday + 3653 * kDay, 6, 0, {"2028", "2030", "2032", "2034", "2036"}},
        {"a century", kThursday, kThursday + 36525 * kDay, 6, 0, {"2040", "2060", "2080", "2100", "2120"}},
        {"into a new year",
         kThursday + 290 * kDay,
         kThursday + 300 * kDay,
         6,
         2 * kDay,
         {"2026-12-29", "12-31", "2027-01-02", "01-04", "01-06"}},
    };
    for (const TimeTicksCase& c : cases) {
        SCOPED_TRACE(c.span);
        const std::vector<Tick> ticks = TimeTicks(c.from, c.to, c.most);
        EXPECT_EQ(LabelsOf(ticks), c.labels);
        EXPECT_LE(ticks.size(), static_cast<std::size_t>(c.most));
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            EXPECT_GE(ticks[i].value, static_cast<double>(c.from));
            EXPECT_LE(ticks[i].value, static_cast<double>(c.to));
            if (c.step != 0 && i > 0) {
                EXPECT_EQ(ticks[i].value - ticks[i - 1].value, static_cast<double>(c.step));
            }
        }
    }
}

TEST(Scale, MapsBothWaysLinearlyAndLogarithmically) {
    const Scale linear = Scale::Linear(0, 200, 400, 0);
    EXPECT_DOUBLE_EQ(linear.PixelOf(50), 300);
    EXPECT_DOUBLE_EQ(linear.ValueOf(300), 50);
    const Scale logarithmic = Scale::Logarithmic(10, 100000, 400, 0);
    EXPECT_DOUBLE_EQ(logarithmic.PixelOf(1000), 200);
    EXPECT_NEAR(logarithmic.ValueOf(100), 10000, 1e-6);
    EXPECT_DOUBLE_EQ(logarithmic.PixelOf(0), 400);  // nothing below the foot
    EXPECT_DOUBLE_EQ(Scale::Linear(5, 5, 0, 100).PixelOf(5), 50);
}

}  // namespace
}  // namespace velanto
