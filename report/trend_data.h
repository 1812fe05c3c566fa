#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "chart/trend_chart.h"
#include "store/record_store.h"

namespace velanto {

// The results a filter covers as points of a trend, and how many could not be placed on it.
struct TrendData {
    std::vector<TrendPoint> points;
    std::size_t withoutCalendar = 0;  // a date or time that is no calendar value: not drawn, but counted
};
TrendData TrendOf(RecordStore& store, const RecordFilter& filter);
// One record as a point of a trend; nothing when its date or time is no calendar value.
std::optional<TrendPoint> TrendPointOf(const ListedRecord& listed);

}  // namespace velanto
