#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velanto {

// A moment as the detector writes it: a wall-clock date and time with no time zone, counted in seconds from
// 1970-01-01 00:00 of the same calendar. Charts place results and choose their ticks on this count.
using ChartTime = std::int64_t;

// The moment of an ISO 8601 date "YYYY-MM-DD" and a time "hh:mm"; nothing when either is no calendar value.
std::optional<ChartTime> ChartTimeOf(std::string_view isoDate, std::string_view time);
// "YYYY-MM-DD" and "hh:mm" of a moment.
std::string IsoDateOf(ChartTime moment);
std::string TimeOfDayOf(ChartTime moment);

}  // namespace velanto
