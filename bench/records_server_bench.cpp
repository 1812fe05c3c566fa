// The store on a database server: bench/records_server_figures.sh starts a PostgreSQL server of its own and
// puts the store's address in VELANTO_BENCH_SERVER.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "store/record_store.h"
#include "tools/dump_generator.h"

namespace {

constexpr std::size_t kImportRounds = 20;

// One 2000-record image imported into the store on the server, the connection open: the download with its
// image and the records, 100 a statement, in one transaction.
void BM_ServerImport(benchmark::State& state) {
    const char* server = std::getenv("VELANTO_BENCH_SERVER");
    if (server == nullptr) {
        state.SkipWithError("VELANTO_BENCH_SERVER names no server");
        return;
    }
    velanto::RecordStore store(velanto::StoreAddressOf(server));
    std::vector<velanto::DetectorDump> images;
    const std::size_t first = store.Detectors().empty() ? 1000 : static_cast<std::size_t>(store.Detectors().back()) + 1;
    for (std::size_t k = 0; k < kImportRounds; ++k) {
        images.push_back(velanto::GenerateDump(
            {2000, static_cast<std::uint16_t>(first + k), static_cast<std::uint32_t>(first + k)}));
    }
    std::size_t k = 0;
    for (auto _ : state) {
        velanto::MemoryRecordTable rows;
        velanto::DecodeDump(images[k], rows);
        const velanto::ImportCounts counts = store.Import({"bench", "1.0", images[k++]}, rows);
        if (counts.added != 2000) {
            state.SkipWithError("an image added other than its 2000 records");
        }
    }
}
BENCHMARK(BM_ServerImport)
    ->Iterations(kImportRounds)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
