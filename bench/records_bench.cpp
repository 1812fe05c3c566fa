// velanto records' store at the size a lab reaches: a store of 1,000,000 records from 500 downloads of
// distinct 2000-record images (five detectors, each download the next 50 working days of its detector), built
// once in ${XDG_CACHE_HOME:-~/.cache}/velanto/records-bench; into a copy of it, one more image imported, in
// the process and by the whole velanto-records process; over it, a filter by program and a CSV export of all.
// Each figure comes with the peak resident memory of what it measures.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/million_record_store.h"
#include "records/file_import.h"
#include "store/csv_export.h"
#include "store/record_store.h"
#include "tools/dump_file.h"
#include "tools/dump_generator.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

using velanto::bench::kMillionStoreDownloads;
using velanto::bench::LabDownload;

// Records whose dates all lie among those already kept: a new detector's image of the lab's first period.
velanto::DumpRecipe BackDatedDownload(std::size_t k) {
    return {2000, static_cast<std::uint16_t>(100 + k), static_cast<std::uint32_t>(90000 + k), 0};
}

const fs::path& MillionStore() { return velanto::bench::MillionRecordStore(); }

// Resident memory of this process, in MiB: now, or its peak since ResetPeakMemory.
double MemoryMiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string field; status >> field;) {
        if (field == key + ":") {
            double kib = 0;
            status >> kib;
            return kib / 1024;
        }
    }
    return 0;
}
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// What a run of velanto-records took of the machine.
struct ProcessUse {
    double peakMiB = 0;      // resident memory
    double processorMs = 0;  // user and system time
};

// Runs velanto-records with `arguments`.
ProcessUse RunRecordsProgram(std::vector<std::string> arguments, benchmark::State& state) {
    arguments.insert(arguments.begin(), VELANTO_RECORDS_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        state.SkipWithError("velanto-records failed");
    }
    const auto ms = [](const timeval& time) { return static_cast<double>(time.tv_sec) * 1e3 + time.tv_usec / 1e3; };
    return {static_cast<double>(usage.ru_maxrss) / 1024, ms(usage.ru_utime) + ms(usage.ru_stime)};
}

// Figures of the runs of a benchmark: the highest peak memory, and the processor time a run.
void Report(benchmark::State& state, const std::vector<ProcessUse>& runs) {
    double peak = 0, processor = 0;
    for (const ProcessUse& run : runs) {
        peak = std::max(peak, run.peakMiB);
        processor += run.processorMs;
    }
    state.counters["peak_MiB"] = peak;
    state.counters["processor_ms"] = runs.empty() ? 0 : processor / static_cast<double>(runs.size());
}

// A copy of the big store to import into, and the images to import, one an iteration.
class IntoMillionStore {
public:
    IntoMillionStore(bool backDated, std::size_t images)
        : m_folder(fs::temp_directory_path() / ("velanto-records-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(m_folder);
        fs::copy_file(MillionStore(), Store(), fs::copy_options::overwrite_existing);
        for (std::size_t k = 0; k < images; ++k) {
            velanto::SaveDumpFile(Image(k), velanto::GenerateDump(backDated ? BackDatedDownload(k)
                                                                            : LabDownload(kMillionStoreDownloads + k)));
        }
    }
    ~IntoMillionStore() { fs::remove_all(m_folder); }
    fs::path Store() const { return m_folder / "records.sqlite"; }
    fs::path Image(std::size_t k) const { return m_folder / ("image" + std::to_string(k) + ".img"); }

private:
    fs::path m_folder;
};

constexpr std::size_t kImportRounds = 20;

// ImportFile of one image into the opened store: reading, decoding and the one transaction, made durable.
// Argument 0: the lab's next download; 1: a back-dated one.
void BM_ImportImage(benchmark::State& state) {
    IntoMillionStore into(state.range(0) == 1, kImportRounds);
    velanto::RecordStore store(into.Store());
    std::size_t k = 0;
    ResetPeakMemory();
    const double before = MemoryMiB("VmRSS");
    for (auto _ : state) {
        const velanto::ImportCounts counts = velanto::ImportFile(store, into.Image(k++), "bench");
        if (counts.added != 2000) {
            state.SkipWithError("an image added other than its 2000 records");
        }
    }
    state.counters["peak_MiB"] = MemoryMiB("VmHWM");
    state.counters["added_MiB"] = MemoryMiB("VmHWM") - before;
}
BENCHMARK(BM_ImportImage)->Arg(0)->Arg(1)->Iterations(kImportRounds)->Unit(benchmark::kMillisecond);

// `velanto-records import IMAGE` as a whole process: start, open, import, close (which checkpoints).
void BM_ImportProcess(benchmark::State& state) {
    IntoMillionStore into(state.range(0) == 1, kImportRounds);
    std::size_t k = 0;
    std::vector<ProcessUse> runs;
    for (auto _ : state) {
        runs.push_back(RunRecordsProgram({"--database", into.Store(), "import", into.Image(k++)}, state));
    }
    Report(state, runs);
}
BENCHMARK(BM_ImportProcess)->Arg(0)->Arg(1)->Iterations(kImportRounds)->Unit(benchmark::kMillisecond);

// The records of one program (about one in twelve), in date order with their program's name.
void BM_FilterByProgram(benchmark::State& state) {
    velanto::RecordStore store(MillionStore(), velanto::RecordStore::Access::ReadOnly);
    velanto::RecordFilter filter;
    filter.program = 7;
    std::size_t rows = 0;
    ResetPeakMemory();
    const double before = MemoryMiB("VmRSS");
    for (auto _ : state) {
        rows = 0;
        store.ForEachRecord(filter, [&rows](const velanto::ListedRecord&) { ++rows; });
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["peak_MiB"] = MemoryMiB("VmHWM");
    state.counters["added_MiB"] = MemoryMiB("VmHWM") - before;
}
BENCHMARK(BM_FilterByProgram)->Unit(benchmark::kMillisecond);

// CsvOf every record, in memory.
void BM_CsvOfAll(benchmark::State& state) {
    velanto::RecordStore store(MillionStore(), velanto::RecordStore::Access::ReadOnly);
    std::size_t bytes = 0;
    ResetPeakMemory();
    const double before = MemoryMiB("VmRSS");
    for (auto _ : state) {
        bytes = velanto::CsvOf(store, {}).size();
    }
    state.counters["CSV_MiB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["peak_MiB"] = MemoryMiB("VmHWM");
    state.counters["added_MiB"] = MemoryMiB("VmHWM") - before;
}
BENCHMARK(BM_CsvOfAll)->Iterations(3)->Unit(benchmark::kMillisecond);

// `velanto-records export --csv FILE` of every record, as a whole process, the file written and on the disk.
void BM_ExportProcess(benchmark::State& state) {
    const fs::path csv = fs::temp_directory_path() / ("velanto-records-bench-" + std::to_string(::getpid()) + ".csv");
    std::vector<ProcessUse> runs;
    for (auto _ : state) {
        runs.push_back(RunRecordsProgram({"--database", MillionStore(), "export", "--csv", csv}, state));
    }
    fs::remove(csv);
    Report(state, runs);
}
BENCHMARK(BM_ExportProcess)->Iterations(3)->Unit(benchmark::kMillisecond);

// The file's size for each 1000 records it keeps, the kept images (16448 bytes a download) included.
void BM_StoreSize(benchmark::State& state) {
    MillionStore();
    for (auto _ : state) {
        benchmark::DoNotOptimize(fs::file_size(MillionStore()));
    }
    state.counters["bytes_per_1000_records"] =
        static_cast<double>(fs::file_size(MillionStore())) / (kMillionStoreDownloads * 2000 / 1000);
}
BENCHMARK(BM_StoreSize)->Iterations(1);

}  // namespace
