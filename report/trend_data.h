#pragma once

#include <cstddef>
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

}  // namespace velanto
