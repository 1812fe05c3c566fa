#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/html_report.h"
#include "report/program_summary.h"
#include "report/trend_data.h"
#include "store/sha256.h"
#include "tests/scratch_folder.h"
#include "tools/dump_generator.h"

namespace velanto {
namespace {

// One result as the detector's list gives it.
struct Result {
    int detector;
    int test;
    const char* date;  // "YYYY/MM/DD"
    int program;
    const char* verdict;
    int rlu;
    int upper = 150;
};

MemoryRecordTable RowsOf(const std::vector<Result>& results) {
    MemoryRecordTable rows;
    for (const Result& result : results) {
        const std::size_t row = rows.RowCount();
        rows.InsertRow(row);
        const std::vector<std::string> cells = {std::to_string(result.detector),
                                                std::to_string(result.test),
                                                result.date,
                                                "08:30",
                                                std::to_string(result.program),
                                                result.verdict,
                                                std::to_string(result.rlu),
                                                "0",
                                                std::to_string(result.upper),
                                                ""};
        for (std::size_t column = 0; column < cells.size(); ++column) {
            rows.SetCellText(row, column, cells[column]);
        }
    }
    return rows;
}

// Two programs in 2026, one result of each before it, and one of another detector.
const std::vector<Result> kResults = {
    {1, 1, "2026/03/01", 1, "Pass", 10},    {1, 2, "2026/03/02", 1, "Pass", 30},
    {1, 3, "2026/03/03", 1, "Caution", 20}, {1, 4, "2026/04/01", 2, "Pass", 5},
    {1, 5, "2026/04/02", 2, "Failed", 7},   {1, 6, "2026/04/03", 2, "Failed", 9},
    {1, 7, "2026/04/04", 2, "Failed", 100}, {1, 8, "2025/12/31", 2, "Failed", 987654},
    {1, 9, "2025/12/31", 1, "Pass", 11},    {2, 1, "2026/05/01", 1, "Failed", 555555},
    {1, 10, "2026/13/01", 1, "Pass", 12},  // no calendar date: outside every period
};

class Report : public ::testing::Test {
protected:
    Report() {
        store.Import({"atp01.txt", "1.0", {}}, RowsOf(kResults));
        store.NameProgram(1, "slicer");
        store.NameProgram(2, "<&> blade");
        year.from = "2026-01-01";
        year.to = "2026-12-31";
        year.detector = 1;
    }
    ReportRequest RequestOf(const RecordFilter& period) { return {period, {}, "Dairy \"Nord\" & Co", "9.8", "x"}; }

    testing::ScratchFolder folder;
    RecordStore store{folder / "records.sqlite"};
    RecordFilter year;
};

TEST_F(Report, TheSummaryGivesEachProgramsFiguresOfThePeriod) {
    RecordFilter narrowed = year;
    narrowed.program = 2;  // the summary covers every program all the same
    narrowed.verdict = "Failed";
    const std::vector<ProgramSummary> summaries = SummarizePrograms(store, narrowed);
    ASSERT_EQ(summaries.size(), 2u);
    const ProgramSummary& odd = summaries[0];
    EXPECT_EQ(odd.name, "slicer");
    EXPECT_EQ(odd.tests, 3u);
    EXPECT_EQ(odd.pass + odd.caution + odd.failed, 3u);
    EXPECT_DOUBLE_EQ(odd.medianRlu, 20);
    EXPECT_EQ(odd.highestRlu, 30);
    ASSERT_TRUE(odd.suggestedUpper);
    EXPECT_NEAR(*odd.suggestedUpper, 20 + 3 * 14.1421356, 1e-6) << "mean + 3 sample standard deviations";
    const ProgramSummary& even = summaries[1];
    EXPECT_EQ(even.failed, 3u);
    EXPECT_DOUBLE_EQ(even.passRate, 0.25);
    EXPECT_DOUBLE_EQ(even.medianRlu, 8) << "the mean of the two middle results";
    EXPECT_FALSE(even.suggestedUpper) << "one passing result has no spread";
    EXPECT_EQ(TabSeparatedOf(summaries),
              "program\tname\ttests\tpass\tcaution\tfailed\tpass rate\tmedian RLU\thighest RLU\tsuggested upper limit\n"
              "1\tslicer\t3\t2\t1\t0\t66.7%\t20\t30\t62\n"
              "2\t<&> blade\t4\t1\t0\t3\t25.0%\t8\t100\t\n");
}

TEST_F(Report, ATrendCountsTheResultsItCannotPlace) {
    RecordFilter program1;
    program1.program = 1;
    const TrendData trend = TrendOf(store, program1);
    EXPECT_EQ(trend.points.size(), 5u);
    EXPECT_EQ(trend.withoutCalendar, 1u);
    EXPECT_EQ(trend.points.front().when, *ChartTimeOf("2025-12-31", "08:30"));
    EXPECT_EQ(trend.points.back().verdict, Verdict::Failed);
}

// The number of times `part` occurs in `text`.
std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(Report, TheReportEscapesTheStoresTextsAndListsThePeriodsFailuresOnly) {
    const std::string html = HtmlReportOf(store, RequestOf(year));
    EXPECT_NE(html.find("&lt;&amp;&gt; blade"), std::string::npos);
    EXPECT_EQ(html.find("<&>"), std::string::npos);
    EXPECT_NE(html.find("Dairy &quot;Nord&quot; &amp; Co"), std::string::npos);
    const std::string failures = html.substr(html.find("<h2>Failures"));
    EXPECT_EQ(Occurrences(failures, "<tr>"), 4u) << "the header and the three failures of detector 1 in 2026";
    EXPECT_EQ(failures.find("987654"), std::string::npos);
    EXPECT_EQ(failures.find("555555"), std::string::npos);
    EXPECT_EQ(Occurrences(html, "<figure>"), 2u);

    RecordFilter before;
    before.to = "2025-12-31";
    before.from = "2025-12-31";
    ReportRequest program1 = RequestOf(before);
    program1.programs = {1};
    EXPECT_NE(HtmlReportOf(store, program1).find("No failures in this period."), std::string::npos);
}

TEST_F(Report, TheReportStandsAloneAndNamesTheDownloadsItCovers) {
    const DetectorDump image = GenerateDump({200, 7, 3});
    MemoryRecordTable rows;
    DecodeDump(image, rows);
    store.Import({"COM1 (/dev/ttyS0)", "1.0", image}, rows);
    std::string html = HtmlReportOf(store, RequestOf({}));
    const std::string svgNamespace = "xmlns=\"http://www.w3.org/2000/svg\"";  // a name, never loaded
    for (std::size_t at = html.find(svgNamespace); at != std::string::npos; at = html.find(svgNamespace, at)) {
        html.erase(at, svgNamespace.size());
    }
    for (const char* external : {"<script", "http:", "https:", "src=", "href=", "url(", "@import", "<link"}) {
        EXPECT_EQ(html.find(external), std::string::npos) << external;
    }
    EXPECT_NE(html.find(Sha256Hex(image)), std::string::npos);
    EXPECT_NE(html.find("no image (file import)"), std::string::npos);
    EXPECT_EQ(HtmlReportOf(store, RequestOf(year)).find(Sha256Hex(image)), std::string::npos)
        << "the image brought no result of detector 1";
}

}  // namespace
}  // namespace velanto
