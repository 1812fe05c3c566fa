#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "store/record_store.h"

namespace velanto {

// Imports one file into `store` in one transaction: a detector image (exactly 16448 bytes), or a text
// export or a workbook as velanto writes them. Throws StoreError, naming the file and the reason, for a file
// that is none of these or is damaged; it then adds nothing.
ImportCounts ImportFile(RecordStore& store, const std::filesystem::path& file, std::string_view programVersion);

// Imports the records of detector image `image`, which came from `source`, in one transaction, keeping the
// image with them.
ImportCounts ImportImage(RecordStore& store, const DetectorDump& image, std::string source,
                         std::string_view programVersion);

// What an import of `file` brought: "FILE: N new, M already kept".
std::string ImportLine(std::string_view file, const ImportCounts& counts);

}  // namespace velanto
