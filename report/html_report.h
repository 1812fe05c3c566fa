#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/record_store.h"

namespace velanto {

// What a report covers and says about itself.
struct ReportRequest {
    RecordFilter period;                 // from, to and detector; its program and verdict are not used
    std::vector<std::int64_t> programs;  // empty: every program with results in the period
    std::string title;                   // the lab's title
    std::string programVersion;          // of the program making it
    std::string madeAt;                  // "YYYY-MM-DD hh:mm"
};

// The report as one self-contained HTML page, printable on A4: a header (title, detectors, period, when and
// by which version it was made, the downloads it covers with their SHA-256), the summary table, one chart a
// program as inline SVG, and the period's failures with empty columns for a reviewer to sign.
std::string HtmlReportOf(RecordStore& store, const ReportRequest& request);

}  // namespace velanto
