#include <benchmark/benchmark.h>

#include "dump/detector_dump.h"
#include "tools/dump_generator.h"

namespace {

// A full detector memory decoded into the in-memory record list, as after the last byte.
void BM_DecodeFullDump(benchmark::State& state) {
    const velanto::DetectorDump image = velanto::GenerateDump({static_cast<std::size_t>(state.range(0))});
    velanto::MemoryRecordTable table;
    for (auto _ : state) {
        table.RemoveAllRows();
        velanto::DecodeDump(image, table);
        benchmark::DoNotOptimize(table.RowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeFullDump)->Arg(2000)->Arg(258)->Unit(benchmark::kMicrosecond);

}  // namespace
