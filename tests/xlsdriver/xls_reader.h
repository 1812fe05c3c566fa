#pragma once

// A small, independent reader of what the driver writes, for the tests: the compound
// document's streams, the BIFF records of a stream, and the worksheets' text cells.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace velanto::testing {

using Bytes = std::vector<std::uint8_t>;

// The named streams of a compound document, following the allocation table (and its
// extension sectors) the way a reader must. Throws std::runtime_error on any inconsistency.
std::map<std::u16string, Bytes> ReadCompoundStreams(const Bytes& file);

struct BiffRecord {
    std::size_t position;  // of the record header in the stream
    std::uint16_t type;
    Bytes body;
};

std::vector<BiffRecord> ReadBiffRecords(const Bytes& stream);

struct SheetContents {
    std::string name;           // UTF-8
    std::size_t dimensionRows;  // from DIMENSIONS
    std::size_t dimensionColumns;
    std::map<std::pair<std::size_t, std::size_t>, std::string> cells;  // (row, column) -> UTF-8 text
};

// Decodes the shared-string table (across CONTINUE records) and every sheet's LABELSST cells.
std::vector<SheetContents> ReadSheets(const Bytes& workbookStream);

}  // namespace velanto::testing
