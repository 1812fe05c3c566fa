// Arbitrary detector images through the decoder: every image decodes, nothing outside it
// is read (the sanitizers watch that), and every row has nine set cells and an empty remark.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "dump/detector_dump.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "decode_dump_fuzz: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velanto::DetectorDump image{};
    std::copy_n(data, std::min(size, image.size()), image.begin());
    velanto::MemoryRecordTable table;
    velanto::DecodeDump(image, table);

    const std::size_t expectedRows = std::min<std::size_t>(velanto::ReadDumpHeader(image).recordCount, 2000);
    Require(table.RowCount() == expectedRows, "row count differs from the header's count");
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        for (std::size_t column = 0; column < 9; ++column) {
            Require(!table.CellRef(row, column).empty(), "a cell of columns 0 to 8 is empty");
        }
        Require(table.CellRef(row, 9).empty(), "the remark cell was set");
    }
    return 0;
}
