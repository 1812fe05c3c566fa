#include "bench/million_record_store.h"

#include <cstdlib>

#include "store/record_store.h"

namespace velanto::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDetectors = 5;
constexpr std::uint32_t kDaysPerImage = 50;  // 2000 records at the generator's pace fill some 49 working days

fs::path CacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    return (cache && *cache ? fs::path(cache) : fs::path(home ? home : "/tmp") / ".cache") / "velanto" /
           "records-bench";
}

}  // namespace

DumpRecipe LabDownload(std::size_t k) {
    return {2000, static_cast<std::uint16_t>(4660 + k % kDetectors), static_cast<std::uint32_t>(k + 1),
            static_cast<std::uint32_t>(k / kDetectors * kDaysPerImage)};
}

const fs::path& MillionRecordStore() {
    static const fs::path store = [] {
        const fs::path file = CacheFolder() / ("million-v" + std::to_string(RecordStore::kSchemaVersion) + ".sqlite");
        if (fs::exists(file)) {
            return file;
        }
        fs::create_directories(file.parent_path());
        const fs::path building = file.string() + ".building";
        fs::remove(building);
        {
            RecordStore records(building);
            for (std::size_t k = 0; k < kMillionStoreDownloads; ++k) {
                const DetectorDump image = GenerateDump(LabDownload(k));
                MemoryRecordTable rows;
                DecodeDump(image, rows);
                records.Import({"bench", "bench", image}, rows);
            }
        }
        fs::rename(building, file);
        return file;
    }();
    return store;
}

}  // namespace velanto::bench
