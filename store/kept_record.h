#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dump/record_table.h"

namespace velanto {

// One measurement as the store keeps it.
struct KeptRecord {
    std::int64_t detector = 0;
    std::int64_t test = 0;
    std::string date;  // ISO 8601 "YYYY-MM-DD", or the list's own text when it is no calendar date
    std::string time;  // "hh:mm", or the list's own text when it is no time of day
    std::int64_t program = 0;
    std::int64_t rlu = 0;
    std::int64_t lower = 0;
    std::int64_t upper = 0;
    std::string verdict;
    bool calendarValid = true;  // date and time are real calendar values

    bool operator==(const KeptRecord&) const = default;
};

// The record in row `row` of a list of decoded results (the detector's, a text export's or a workbook's).
// Throws StoreError naming the row and the column when a number is missing or malformed, or the verdict is
// none of "Pass", "Caution" and "Failed".
KeptRecord KeptRecordOf(const RecordTable& rows, std::size_t row);

}  // namespace velanto
