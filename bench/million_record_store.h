#pragma once

#include <cstddef>
#include <filesystem>

#include "tools/dump_generator.h"

namespace velanto::bench {

// The store a lab reaches: 1,000,000 records from 500 downloads of distinct 2000-record images, five
// detectors, each download the next 50 working days of its detector.
constexpr std::size_t kMillionStoreDownloads = 500;

// Download `k` of that lab: detector k % 5 brings its next 2000 records.
DumpRecipe LabDownload(std::size_t k);

// The store, built on first use and kept, one for each store version, in
// ${XDG_CACHE_HOME:-~/.cache}/velanto/records-bench.
const std::filesystem::path& MillionRecordStore();

}  // namespace velanto::bench
