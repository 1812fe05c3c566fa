#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/record_store.h"

namespace velanto {

// One program's results over a period.
struct ProgramSummary {
    std::int64_t program = 0;
    std::string name;
    std::size_t tests = 0;
    std::size_t pass = 0;
    std::size_t caution = 0;
    std::size_t failed = 0;
    double passRate = 0;  // pass / tests, 0 to 1
    double medianRlu = 0;
    std::int64_t highestRlu = 0;
    // A suggestion only: mean + 3 standard deviations of the period's passing results; nothing with fewer
    // than two of them.
    std::optional<double> suggestedUpper;
};

// Every program with results among those `filter` covers (its program field is ignored), by number.
std::vector<ProgramSummary> SummarizePrograms(RecordStore& store, const RecordFilter& filter);
// The summaries as tab-separated lines with a header line, for the clipboard and a spreadsheet.
std::string TabSeparatedOf(const std::vector<ProgramSummary>& summaries);

}  // namespace velanto
