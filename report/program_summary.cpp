#include "report/program_summary.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "report/report_text.h"

namespace velanto {
namespace {

// One program's results as they are read, before their figures are worked out.
struct ProgramResults {
    std::vector<std::int64_t> rlus;
    std::vector<std::int64_t> passing;
    std::size_t caution = 0;
    std::size_t failed = 0;
};

double MedianOf(std::vector<std::int64_t> values) {
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upperMiddle = static_cast<double>(values[middle]);
    if (values.size() % 2 == 1) {
        return upperMiddle;
    }
    const double lowerMiddle =
        static_cast<double>(*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle)));
    return (lowerMiddle + upperMiddle) / 2;
}

// Mean + 3 sample standard deviations; nothing from fewer than two values, which have no spread.
std::optional<double> SuggestedUpperOf(const std::vector<std::int64_t>& passing) {
    if (passing.size() < 2) {
        return std::nullopt;
    }
    const double count = static_cast<double>(passing.size());
    const double mean = std::accumulate(passing.begin(), passing.end(), 0.0) / count;
    double squares = 0;
    for (const std::int64_t rlu : passing) {
        squares += (static_cast<double>(rlu) - mean) * (static_cast<double>(rlu) - mean);
    }
    return mean + 3 * std::sqrt(squares / (count - 1));
}

ProgramSummary SummaryOf(std::int64_t program, std::string name, const ProgramResults& results) {
    ProgramSummary summary;
    summary.program = program;
    summary.name = std::move(name);
    summary.tests = results.rlus.size();
    summary.pass = results.passing.size();
    summary.caution = results.caution;
    summary.failed = results.failed;
    summary.passRate = static_cast<double>(summary.pass) / static_cast<double>(summary.tests);
    summary.medianRlu = MedianOf(results.rlus);
    summary.highestRlu = *std::max_element(results.rlus.begin(), results.rlus.end());
    summary.suggestedUpper = SuggestedUpperOf(results.passing);
    return summary;
}

// Tabs and line ends in a name would break the table's lines and columns.
std::string OneCell(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

}  // namespace

std::vector<ProgramSummary> SummarizePrograms(RecordStore& store, const RecordFilter& filter) {
    RecordFilter period = filter;
    period.program.reset();
    period.verdict.reset();
    std::map<std::int64_t, ProgramResults> programs;
    store.ForEachRecord(period, [&programs](const ListedRecord& listed) {
        const KeptRecord& record = listed.record;
        ProgramResults& results = programs[record.program];
        results.rlus.push_back(record.rlu);
        if (record.verdict == "Pass") {
            results.passing.push_back(record.rlu);
        }
        results.caution += record.verdict == "Caution" ? 1 : 0;
        results.failed += record.verdict == "Failed" ? 1 : 0;
    });
    std::map<std::int64_t, std::string> names;
    for (ProgramTally& tally : store.Programs(period.detector)) {
        names[tally.program] = std::move(tally.name);
    }
    std::vector<ProgramSummary> summaries;
    for (const auto& [program, results] : programs) {
        summaries.push_back(SummaryOf(program, names[program], results));
    }
    return summaries;
}

std::string TabSeparatedOf(const std::vector<ProgramSummary>& summaries) {
    std::string text =
        "program\tname\ttests\tpass\tcaution\tfailed\tpass rate\tmedian RLU\thighest RLU\tsuggested upper limit\n";
    for (const ProgramSummary& summary : summaries) {
        text += std::to_string(summary.program) + '\t' + OneCell(summary.name) + '\t' + std::to_string(summary.tests) +
                '\t' + std::to_string(summary.pass) + '\t' + std::to_string(summary.caution) + '\t' +
                std::to_string(summary.failed) + '\t' + PercentText(summary.passRate) + '\t' +
                FigureText(summary.medianRlu, 1) + '\t' + std::to_string(summary.highestRlu) + '\t' +
                (summary.suggestedUpper ? FigureText(std::round(*summary.suggestedUpper), 0) : "") + '\n';
    }
    return text;
}

}  // namespace velanto
