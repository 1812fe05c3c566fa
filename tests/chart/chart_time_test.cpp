#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "chart/chart_time.h"

namespace velanto {
namespace {

struct MomentCase {
    const char* date;
    const char* time;
    std::optional<ChartTime> moment;
};

TEST(ChartTime, TakesCalendarValuesOnlyAndFormatsThemBack) {
    const MomentCase cases[] = {
        {"1970-01-01", "00:00", 0},
        {"2026-03-12", "14:30", 1773325800},
        {"2024-02-29", "23:59", 1709251140},
        {"1969-12-31", "23:59", -60},
        {"2026-02-29", "12:00", std::nullopt},
        {"2026-02-30", "12:00", std::nullopt},
        {"2026-13-01", "12:00", std::nullopt},
        {"2026-00-10", "12:00", std::nullopt},
        {"2026-03-12", "24:00", std::nullopt},
        {"2026-03-12", "25:61", std::nullopt},
        {"2026-03-12", "12:60", std::nullopt},
        {"2026-3-12", "12:00", std::nullopt},
        {"2026/03/12", "12:00", std::nullopt},
        {"12.03.2026", "12:00", std::nullopt},
        {"2026-03-12", "9:30", std::nullopt},
        {"2026-03-12", "-1:30", std::nullopt},
        {"2026-03-12", "", std::nullopt},
        {"", "12:00", std::nullopt},
        {"2026-+3-12", "12:00", std::nullopt},
    };
    for (const MomentCase& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        EXPECT_EQ(ChartTimeOf(c.date, c.time), c.moment);
        if (c.moment) {
            EXPECT_EQ(IsoDateOf(*c.moment), c.date);
            EXPECT_EQ(TimeOfDayOf(*c.moment), c.time);
        }
    }
}

}  // namespace
}  // namespace velanto
