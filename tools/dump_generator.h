#pragma once

#include <cstddef>
#include <cstdint>

#include "dump/detector_dump.h"

namespace velanto {

// What a generated dump holds. The same recipe always gives the same bytes.
struct DumpRecipe {
    std::size_t records = kMaxRecords;  // 0 to kMaxRecords
    std::uint16_t identifier = 4660;
    std::uint32_t seed = 1;
    std::uint32_t firstDay = 0;  // the working day of the first record, counted from 2007-03-01 (28 a month)
};

// A plausible detector memory: limits for programs 0 to 101, records taken on
// consecutive working days under a handful of programs, with RLU values spread
// around the limits so that every verdict occurs.
DetectorDump GenerateDump(const DumpRecipe& recipe);

}  // namespace velanto
