#include "report/trend_data.h"

namespace velanto {
namespace {

// The store keeps only these three verdicts (its table checks them).
Verdict VerdictOf(std::string_view text) {
    if (text == "Pass") {
        return Verdict::Pass;
    }
    return text == "Caution" ? Verdict::Caution : Verdict::Failed;
}

}  // namespace

std::optional<TrendPoint> TrendPointOf(const ListedRecord& listed) {
    const KeptRecord& record = listed.record;
    const std::optional<ChartTime> when = record.calendarValid ? ChartTimeOf(record.date, record.time) : std::nullopt;
    if (!when) {
        return std::nullopt;
    }
    return TrendPoint{*when, record.rlu, record.lower, record.upper, VerdictOf(record.verdict), listed.key};
}

TrendData TrendOf(RecordStore& store, const RecordFilter& filter) {
    TrendData trend;
    store.ForEachRecord(filter, [&trend](const ListedRecord& listed) {
        if (const std::optional<TrendPoint> point = TrendPointOf(listed)) {
            trend.points.push_back(*point);
        } else {
            ++trend.withoutCalendar;
        }
    });
    return trend;
}

}  // namespace velanto
