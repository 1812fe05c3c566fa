#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "dump/detector_dump.h"
#include "export/spreadsheet_export.h"
#include "export/text_export.h"
#include "tools/dump_generator.h"

namespace {

// Answers the save dialog with a fixed path and drops every message.
class GivenPathUi final : public velanto::ExportUi {
public:
    explicit GivenPathUi(std::string path) : m_path(std::move(path)) {}
    void ShowMessage(const std::string&) override {}
    void ShowInformation(const std::string&, const std::string&) override {}
    std::optional<std::string> AskSavePath(const velanto::SaveFileRequest&) override { return m_path; }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }

private:
    std::string m_path;
};

// A whole Save as .xls of a full memory's decoded rows: driver search, connect, CREATE TABLE,
// one INSERT per row, disconnect (the workbook written), through the driver manager.
void BM_SaveAsSpreadsheet(benchmark::State& state) {
    ::setenv("ODBCSYSINI", VELANTO_XLS_ODBC_DIR, 1);
    velanto::MemoryRecordTable list;
    velanto::DecodeDump(velanto::GenerateDump({static_cast<std::size_t>(state.range(0))}), list);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("velanto-export-bench-" + std::to_string(::getpid()) + ".xls");
    GivenPathUi ui(path.string());
    for (auto _ : state) {
        try {
            velanto::SaveAsSpreadsheet(list, "velanto", ui);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            break;
        }
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveAsSpreadsheet)->Arg(2000)->Unit(benchmark::kMillisecond);

// A whole Save as text of a full memory's decoded rows into a folder: the folder chain, the
// first free atpNN.txt, the lines converted to code page 936, written and flushed to the disk.
void BM_SaveAsText(benchmark::State& state) {
    velanto::MemoryRecordTable list;
    velanto::DecodeDump(velanto::GenerateDump({static_cast<std::size_t>(state.range(0))}), list);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("velanto-text-bench-" + std::to_string(::getpid()));
    GivenPathUi ui("");
    for (auto _ : state) {
        velanto::SaveAsText(list, folder.string(), ui);
        state.PauseTiming();
        std::filesystem::remove(folder / "atp00.txt");  // the next save takes the same name
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveAsText)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
