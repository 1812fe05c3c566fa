#include "chart/chart_time.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace velanto {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// The digits of `text` as a number, nothing when any character is not a digit.
std::optional<int> DigitsOf(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || text.front() == '-' || text.front() == '+') {
        return std::nullopt;
    }
    return value;
}

std::optional<std::chrono::sys_days> DayOf(std::string_view isoDate) {
    if (isoDate.size() != 10 || isoDate[4] != '-' || isoDate[7] != '-') {
        return std::nullopt;
    }
    const auto year = DigitsOf(isoDate.substr(0, 4));
    const auto month = DigitsOf(isoDate.substr(5, 2));
    const auto day = DigitsOf(isoDate.substr(8, 2));
    if (!year || !month || !day) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(*year), std::chrono::month(*month),
                                           std::chrono::day(*day)};
    if (!date.ok()) {
        return std::nullopt;
    }
    return std::chrono::sys_days(date);
}

std::optional<int> SecondsOfDayOf(std::string_view time) {
    if (time.size() != 5 || time[2] != ':') {
        return std::nullopt;
    }
    const auto hours = DigitsOf(time.substr(0, 2));
    const auto minutes = DigitsOf(time.substr(3, 2));
    if (!hours || !minutes || *hours > 23 || *minutes > 59) {
        return std::nullopt;
    }
    return *hours * 3600 + *minutes * 60;
}

// Whole days before the moment, rounding towards the past so that moments before 1970 keep their day.
std::int64_t DayNumberOf(ChartTime moment) {
    return moment >= 0 ? moment / kSecondsPerDay : -((-moment + kSecondsPerDay - 1) / kSecondsPerDay);
}

}  // namespace

std::optional<ChartTime> ChartTimeOf(std::string_view isoDate, std::string_view time) {
    const auto day = DayOf(isoDate);
    const auto seconds = SecondsOfDayOf(time);
    if (!day || !seconds) {
        return std::nullopt;
    }
    return ChartTime{day->time_since_epoch().count()} * kSecondsPerDay + *seconds;
}

std::string IsoDateOf(ChartTime moment) {
    const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(DayNumberOf(moment)))};
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string TimeOfDayOf(ChartTime moment) {
    const std::int64_t seconds = moment - DayNumberOf(moment) * kSecondsPerDay;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60));
    return text;
}

}  // namespace velanto
