// velanto records' report over a year of a busy lab: 100,000 results of 50 programs from five detectors
// (50 downloads of 2000), some programs' limits raised mid-year, built once in
// ${XDG_CACHE_HOME:-~/.cache}/velanto/records-bench; the report of the whole year and every program, its size,
// and the peak resident memory it adds to the process.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "report/html_report.h"
#include "store/record_store.h"
#include "tools/dump_generator.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDetectors = 5;
constexpr int kDownloads = 50;
constexpr int kRecordsADownload = 2000;
constexpr int kPrograms = 50;
constexpr int kRecordsADetector = kDownloads / kDetectors * kRecordsADownload;
constexpr int kResultsADay = kRecordsADetector / 365 + 1;
// Raised with this to make a new store when the records the bench makes change.
constexpr int kYearRecipe = 1;

fs::path CacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    return (cache && *cache ? fs::path(cache) : fs::path(home ? home : "/tmp") / ".cache") / "velanto" /
           "records-bench";
}

// "YYYY/MM/DD" of day `day` of 2026, as the detector lists it.
std::string ListedDate(int day) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::year{2026} / 1 / 1} +
                                           std::chrono::days{day}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02u/%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

// Record `j` of detector `detector`'s year: some 55 results a working day, ten minutes apart, RLU spread
// log-normally around each program's limits, a third of the programs' limits raised at mid-year.
void PutRecord(velanto::MemoryRecordTable& rows, int detector, int j, std::mt19937& random) {
    const int day = j / kResultsADay, program = (j * 7 + detector) % kPrograms + 1;
    const int minute = 7 * 60 + (j % kResultsADay) * 10;
    const int lower = 150 + 10 * program + (program % 3 == 0 && day > 180 ? 60 : 0), upper = 2 * lower;
    const auto rlu = static_cast<long>(std::lognormal_distribution<double>(4.6 + program % 5 * 0.2, 0.9)(random));
    const char* verdict = rlu <= lower ? "Pass" : rlu <= upper ? "Caution" : "Failed";
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", minute / 60, minute % 60);
    const std::size_t row = rows.RowCount();
    rows.InsertRow(row);
    const std::string cells[] = {
        std::to_string(detector), std::to_string(j + 1), ListedDate(day),      time, std::to_string(program), verdict,
        std::to_string(rlu),      std::to_string(lower), std::to_string(upper)};
    for (std::size_t column = 0; column < std::size(cells); ++column) {
        rows.SetCellText(row, column, cells[column]);
    }
}

const fs::path& YearStore() {
    static const fs::path store = [] {
        const fs::path file = CacheFolder() / ("year-v" + std::to_string(velanto::RecordStore::kSchemaVersion) + "-" +
                                               std::to_string(kYearRecipe) + ".sqlite");
        if (fs::exists(file)) {
            return file;
        }
        fs::create_directories(file.parent_path());
        const fs::path building = file.string() + ".building";
        fs::remove(building);
        {
            velanto::RecordStore records(building);
            std::mt19937 random(2026);
            for (int k = 0; k < kDownloads; ++k) {
                const int detector = 1 + k % kDetectors, first = k / kDetectors * kRecordsADownload;
                velanto::MemoryRecordTable rows;
                for (int j = first; j < first + kRecordsADownload; ++j) {
                    PutRecord(rows, detector, j, random);
                }
                // The image stands for the download's own, so that the report names 50 digests.
                const velanto::DetectorDump image = velanto::GenerateDump({2000, 4660, static_cast<std::uint32_t>(k)});
                records.Import({"COM1 (/dev/ttyUSB0)", "bench", image}, rows);
            }
        }
        fs::rename(building, file);
        return file;
    }();
    return store;
}

// Resident memory of this process, in MiB: its peak since ResetPeakMemory.
double PeakMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string field; status >> field;) {
        if (field == "VmHWM:") {
            double kib = 0;
            status >> kib;
            return kib / 1024;
        }
    }
    return 0;
}
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_YearReport(benchmark::State& state) {
    velanto::RecordStore store(YearStore(), velanto::RecordStore::Access::ReadOnly);
    velanto::ReportRequest request;
    request.period.from = "2026-01-01";
    request.period.to = "2026-12-31";
    request.title = "Dairy Nord, hygiene monitoring";
    request.programVersion = "bench";
    request.madeAt = "2027-01-04 08:00";
    std::size_t bytes = 0;
    ResetPeakMemory();
    const double before = PeakMiB();
    for (auto _ : state) {
        bytes = velanto::HtmlReportOf(store, request).size();
    }
    state.counters["report_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["added_MiB"] = PeakMiB() - before;
    state.counters["records"] = static_cast<double>(store.RecordCount());
}
BENCHMARK(BM_YearReport)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
