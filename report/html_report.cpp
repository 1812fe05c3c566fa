#include "report/html_report.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "chart/svg_chart.h"
#include "report/program_summary.h"
#include "report/report_text.h"
#include "report/trend_data.h"

namespace velanto {
namespace {

// Print first: A4 pages, table headers repeated on each, no row or chart split across two pages, and rows of
// the failures tall enough to write in by hand.
constexpr std::string_view kStyle = R"(@page { size: A4; margin: 15mm }
body { font: 10pt/1.35 "DejaVu Sans", Arial, sans-serif; color: #000; margin: 0 auto; max-width: 180mm }
h1 { font-size: 16pt; margin: 0 0 4pt }
h2 { font-size: 13pt; margin: 16pt 0 6pt; break-after: avoid }
p { margin: 2pt 0 }
table { border-collapse: collapse; width: 100%; font-size: 8.5pt; margin: 4pt 0 }
th, td { border: 0.5pt solid #777; padding: 2pt 4pt; text-align: left; vertical-align: top }
th { background: #eee }
.n { text-align: right }
td.n { white-space: nowrap }
thead { display: table-header-group }
tr, figure { break-inside: avoid }
.sha { font-family: "DejaVu Sans Mono", monospace; font-size: 7.5pt; word-break: break-all }
.note { font-size: 8pt }
figure { margin: 0 0 10pt }
figcaption { font-size: 9pt; font-weight: bold; margin: 0 0 2pt }
figure svg { width: 100%; height: auto }
.failures td { height: 9mm }
.failures td:nth-child(-n+5) { white-space: nowrap }
.failures .sign { width: 18% }
)";

// The page's policy forbids it every load from outside itself: a browser refuses, and says so, whatever a
// report might ever come to name, and the report stays whole wherever it is sent.
constexpr std::string_view kHead =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n";

constexpr ChartSize kChartSize{680, 260};
// Results spanning more decades than this are drawn on a logarithmic axis, where the low ones still show.
constexpr double kLinearSpan = 100;

// What the report reads of the period's results in one pass: each program's trend, the failures, the detectors.
struct PeriodResults {
    std::map<std::int64_t, TrendData> trends;
    std::vector<ListedRecord> failures;
    std::set<std::int64_t> detectors;
    std::string firstDate, lastDate;
};

bool Wanted(const ReportRequest& request, std::int64_t program) {
    return request.programs.empty() ||
           std::find(request.programs.begin(), request.programs.end(), program) != request.programs.end();
}

RecordFilter PeriodOf(const ReportRequest& request) {
    RecordFilter period = request.period;
    period.program.reset();
    period.verdict.reset();
    return period;
}

PeriodResults ReadPeriod(RecordStore& store, const ReportRequest& request) {
    PeriodResults period;
    store.ForEachRecord(PeriodOf(request), [&](const ListedRecord& listed) {
        const KeptRecord& record = listed.record;
        if (!Wanted(request, record.program)) {
            return;
        }
        period.detectors.insert(record.detector);
        TrendData& trend = period.trends[record.program];
        if (const std::optional<TrendPoint> point = TrendPointOf(listed)) {
            trend.points.push_back(*point);
            period.firstDate = period.firstDate.empty() ? record.date : std::min(period.firstDate, record.date);
            period.lastDate = std::max(period.lastDate, record.date);
        } else {
            ++trend.withoutCalendar;
        }
        if (record.verdict == "Failed") {
            period.failures.push_back(listed);
        }
    });
    return period;
}

std::vector<CoveredDownload> DownloadsOf(RecordStore& store, const ReportRequest& request) {
    if (request.programs.empty()) {
        return store.DownloadsCovering(PeriodOf(request));
    }
    std::map<std::int64_t, CoveredDownload> downloads;
    for (const std::int64_t program : request.programs) {
        RecordFilter filter = PeriodOf(request);
        filter.program = program;
        for (CoveredDownload& download : store.DownloadsCovering(filter)) {
            downloads.emplace(download.id, std::move(download));
        }
    }
    std::vector<CoveredDownload> ordered;
    for (auto& [id, download] : downloads) {
        ordered.push_back(std::move(download));
    }
    return ordered;
}

std::string Cell(std::string_view text, std::string_view tag = "td") {
    return "<" + std::string(tag) + ">" + HtmlEscaped(text) + "</" + std::string(tag) + ">";
}

std::string NumberCell(std::string_view figure) { return "<td class=\"n\">" + std::string(figure) + "</td>"; }

std::string PeriodText(const ReportRequest& request, const PeriodResults& period) {
    const std::string from =
        request.period.from.value_or(period.firstDate.empty() ? "the first result" : period.firstDate);
    const std::string to = request.period.to.value_or(period.lastDate.empty() ? "the last result" : period.lastDate);
    return "from " + from + " to " + to;
}

std::string HeaderOf(const ReportRequest& request, const PeriodResults& period,
                     const std::vector<CoveredDownload>& downloads) {
    std::string detectors;
    for (const std::int64_t detector : period.detectors) {
        detectors += (detectors.empty() ? "" : ", ") + std::to_string(detector);
    }
    std::string html = "<header>\n<h1>" + HtmlEscaped(request.title.empty() ? "velanto records" : request.title) +
                       "</h1>\n<p>Results " + HtmlEscaped(PeriodText(request, period)) +
                       "</p>\n<p>Detectors: " + (detectors.empty() ? "none" : detectors) + "</p>\n<p>Made " +
                       HtmlEscaped(request.madeAt) + " by velanto records " + HtmlEscaped(request.programVersion) +
                       "</p>\n</header>\n";
    html +=
        "<h2>Downloads covered</h2>\n<table class=\"downloads\"><thead><tr><th>Imported (UTC)</th><th>Source</th>"
        "<th>SHA-256 of the detector's memory</th></tr></thead><tbody>\n";
    for (const CoveredDownload& download : downloads) {
        html += "<tr>" + Cell(download.importedAt) + Cell(download.source) +
                (download.imageSha256 ? "<td class=\"sha\">" + HtmlEscaped(*download.imageSha256) + "</td>"
                                      : Cell("no image (file import)")) +
                "</tr>\n";
    }
    return html + "</tbody></table>\n";
}

std::string SummaryOf(const std::vector<ProgramSummary>& summaries) {
    std::string html =
        "<h2>Summary</h2>\n<table class=\"summary\"><thead><tr><th class=\"n\">Program</th><th>Name</th>"
        "<th class=\"n\">Tests</th><th class=\"n\">Pass</th><th class=\"n\">Caution</th><th class=\"n\">Failed</th>"
        "<th class=\"n\">Pass rate</th><th class=\"n\">Median RLU</th><th class=\"n\">Highest RLU</th>"
        "<th class=\"n\">Suggested upper limit*</th></tr></thead><tbody>\n";
    for (const ProgramSummary& summary : summaries) {
        html += "<tr>" + NumberCell(std::to_string(summary.program)) + Cell(summary.name) +
                NumberCell(std::to_string(summary.tests)) + NumberCell(std::to_string(summary.pass)) +
                NumberCell(std::to_string(summary.caution)) + NumberCell(std::to_string(summary.failed)) +
                NumberCell(PercentText(summary.passRate)) + NumberCell(FigureText(summary.medianRlu, 1)) +
                NumberCell(std::to_string(summary.highestRlu)) +
                NumberCell(summary.suggestedUpper ? FigureText(std::round(*summary.suggestedUpper), 0) : "") +
                "</tr>\n";
    }
    return html +
           "</tbody></table>\n<p class=\"note\">* mean + 3 standard deviations of the period's passing results: a "
           "suggestion, not a limit in force</p>\n";
}

// Linear unless the results span more than two decades, where a linear axis flattens the low ones to a line.
bool WantsLogarithmicAxis(const std::vector<TrendPoint>& points) {
    std::int64_t lowest = 0, highest = 0;
    for (const TrendPoint& point : points) {
        if (point.rlu > 0) {
            lowest = lowest == 0 ? point.rlu : std::min(lowest, point.rlu);
        }
        highest = std::max(highest, point.rlu);
    }
    return lowest > 0 && static_cast<double>(highest) / static_cast<double>(lowest) > kLinearSpan;
}

std::string FigureOf(std::int64_t program, const std::string& name, const TrendData& trend) {
    const bool logarithmic = WantsLogarithmicAxis(trend.points);
    const TrendScene scene = LayOutTrend(trend.points, TrendView{kChartSize, logarithmic, {}, {}});
    std::string html = "<figure><figcaption>" +
                       HtmlEscaped("Program " + std::to_string(program) + (name.empty() ? "" : ": " + name)) +
                       (logarithmic ? " (RLU on a logarithmic axis: the results span more than two decades)"
                                    : " (RLU on a linear axis)") +
                       "</figcaption>\n" + SvgOf(scene) + "\n";
    if (trend.withoutCalendar > 0) {
        html += "<p class=\"note\">" + std::to_string(trend.withoutCalendar) +
                " results with a date or time that is no calendar value are not drawn.</p>\n";
    }
    return html + "</figure>\n";
}

std::string TrendsOf(const ReportRequest& request, const PeriodResults& period,
                     const std::vector<ProgramSummary>& summaries) {
    std::map<std::int64_t, std::string> names;
    for (const ProgramSummary& summary : summaries) {
        names[summary.program] = summary.name;
    }
    std::string html = "<h2>Trends</h2>\n";
    if (period.trends.empty() && request.programs.empty()) {
        html += "<p>No results in this period.</p>\n";
    }
    for (const auto& [program, trend] : period.trends) {
        html += FigureOf(program, names[program], trend);
    }
    for (const std::int64_t program : request.programs) {
        if (!period.trends.contains(program)) {
            html += "<p>Program " + std::to_string(program) + ": no results in this period.</p>\n";
        }
    }
    return html;
}

std::string FailuresOf(const std::vector<ListedRecord>& failures) {
    std::string html = "<h2>Failures</h2>\n";
    if (failures.empty()) {
        return html + "<p>No failures in this period.</p>\n";
    }
    html +=
        "<table class=\"failures\"><thead><tr><th>Date</th><th>Time</th><th class=\"n\">Detector</th>"
        "<th class=\"n\">Test</th><th class=\"n\">Program</th><th>Name</th><th class=\"n\">RLU</th>"
        "<th class=\"n\">Upper limit</th><th class=\"sign\">Corrective action</th><th class=\"sign\">Reviewed by / "
        "date</th></tr></thead><tbody>\n";
    for (const ListedRecord& failure : failures) {
        const KeptRecord& record = failure.record;
        html += "<tr>" + Cell(record.date) + Cell(record.time) + NumberCell(std::to_string(record.detector)) +
                NumberCell(std::to_string(record.test)) + NumberCell(std::to_string(record.program)) +
                Cell(failure.programName) + NumberCell(std::to_string(record.rlu)) +
                NumberCell(std::to_string(record.upper)) + "<td></td><td></td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

}  // namespace

std::string HtmlReportOf(RecordStore& store, const ReportRequest& request) {
    const PeriodResults period = ReadPeriod(store, request);
    std::vector<ProgramSummary> summaries = SummarizePrograms(store, PeriodOf(request));
    std::erase_if(summaries, [&request](const ProgramSummary& summary) { return !Wanted(request, summary.program); });
    const std::string title = request.title.empty() ? "velanto records" : request.title;
    return std::string(kHead) + "<title>" + HtmlEscaped(title + ", results " + PeriodText(request, period)) +
           "</title>\n<style>\n" + std::string(kStyle) + "</style>\n</head>\n<body>\n" +
           HeaderOf(request, period, DownloadsOf(store, request)) + SummaryOf(summaries) +
           TrendsOf(request, period, summaries) + FailuresOf(period.failures) + "</body>\n</html>\n";
}

}  // namespace velanto
