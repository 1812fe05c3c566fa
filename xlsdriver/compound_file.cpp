#include "xlsdriver/compound_file.h"

#include <algorithm>
#include <stdexcept>

namespace velanto {
namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kIdsPerSector = kSectorSize / 4;
constexpr std::size_t kHeaderDifatSlots = 109;
constexpr std::size_t kDirectoryEntrySize = 128;
constexpr std::size_t kMiniStreamCutoff = 4096;
constexpr std::uint64_t kMaxStreamSize = 0x7FFFFFFF;  // what version 3 readers accept

constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

std::size_t SectorsFor(std::size_t bytes) { return (bytes + kSectorSize - 1) / kSectorSize; }

// Where every part of the file goes, in sectors counted after the header.
struct Layout {
    std::size_t streamSectors = 0;
    std::size_t directorySector = 0;
    std::size_t firstFatSector = 0;
    std::size_t fatSectors = 0;
    std::size_t firstDifatSector = 0;
    std::size_t difatSectors = 0;

    std::size_t TotalSectors() const { return firstDifatSector + difatSectors; }
};

// The allocation table has to cover itself and the sectors listing it, so its size is
// found by growing it until it does.
Layout PlanLayout(std::size_t streamSize) {
    Layout layout;
    layout.streamSectors = SectorsFor(streamSize);
    layout.directorySector = layout.streamSectors;
    layout.firstFatSector = layout.directorySector + 1;
    for (layout.fatSectors = 1;; ++layout.fatSectors) {
        const std::size_t overflow = layout.fatSectors > kHeaderDifatSlots ? layout.fatSectors - kHeaderDifatSlots : 0;
        layout.difatSectors = (overflow + kIdsPerSector - 2) / (kIdsPerSector - 1);
        layout.firstDifatSector = layout.firstFatSector + layout.fatSectors;
        if (layout.fatSectors * kIdsPerSector >= layout.TotalSectors()) {
            return layout;
        }
    }
}

void AppendDirectoryEntry(ByteBuffer& out, std::u16string_view name, std::uint8_t type, std::uint32_t child,
                          std::uint32_t startSector, std::uint32_t size) {
    const std::size_t start = out.size();
    out.resize(start + kDirectoryEntrySize, 0);
    for (std::size_t i = 0; i < name.size(); ++i) {
        PutU16(out, start + 2 * i, name[i]);
    }
    if (type != 0) {
        PutU16(out, start + 64, static_cast<std::uint16_t>(2 * (name.size() + 1)));
        out[start + 66] = type;
        out[start + 67] = 1;  // black: a tree of one node
    }
    PutU32(out, start + 68, kNoStream);
    PutU32(out, start + 72, kNoStream);
    PutU32(out, start + 76, child);
    PutU32(out, start + 116, startSector);
    PutU32(out, start + 120, size);
}

void AppendHeader(ByteBuffer& out, const Layout& layout) {
    AppendU32(out, 0xE011CFD0);  // signature D0 CF 11 E0 A1 B1 1A E1
    AppendU32(out, 0xE11AB1A1);
    out.resize(out.size() + 16, 0);  // class id
    AppendU16(out, 0x003E);          // minor version
    AppendU16(out, 0x0003);          // major version
    AppendU16(out, 0xFFFE);          // little-endian byte order mark
    AppendU16(out, 9);               // sectors of 2^9 bytes
    AppendU16(out, 6);               // mini sectors of 2^6 bytes
    out.resize(out.size() + 6, 0);
    AppendU32(out, 0);  // directory sector count: always 0 in version 3
    AppendU32(out, static_cast<std::uint32_t>(layout.fatSectors));
    AppendU32(out, static_cast<std::uint32_t>(layout.directorySector));
    AppendU32(out, 0);  // transaction signature
    AppendU32(out, static_cast<std::uint32_t>(kMiniStreamCutoff));
    AppendU32(out, kEndOfChain);  // no mini allocation table
    AppendU32(out, 0);
    AppendU32(out, layout.difatSectors ? static_cast<std::uint32_t>(layout.firstDifatSector) : kEndOfChain);
    AppendU32(out, static_cast<std::uint32_t>(layout.difatSectors));
    for (std::size_t i = 0; i < kHeaderDifatSlots; ++i) {
        AppendU32(out, i < layout.fatSectors ? static_cast<std::uint32_t>(layout.firstFatSector + i) : kFreeSector);
    }
}

void AppendAllocationTable(ByteBuffer& out, const Layout& layout) {
    std::vector<std::uint32_t> table(layout.fatSectors * kIdsPerSector, kFreeSector);
    for (std::size_t i = 0; i + 1 < layout.streamSectors; ++i) {
        table[i] = static_cast<std::uint32_t>(i + 1);
    }
    table[layout.streamSectors - 1] = kEndOfChain;
    table[layout.directorySector] = kEndOfChain;
    std::fill_n(table.begin() + static_cast<std::ptrdiff_t>(layout.firstFatSector), layout.fatSectors, kFatSector);
    std::fill_n(table.begin() + static_cast<std::ptrdiff_t>(layout.firstDifatSector), layout.difatSectors,
                kDifatSector);
    for (std::uint32_t id : table) {
        AppendU32(out, id);
    }
}

// The allocation-table sectors that the header's 109 slots cannot hold, 127 to a sector,
// each sector ending with the number of the next.
void AppendDifat(ByteBuffer& out, const Layout& layout) {
    std::size_t fat = kHeaderDifatSlots;
    for (std::size_t sector = 0; sector < layout.difatSectors; ++sector) {
        for (std::size_t slot = 0; slot + 1 < kIdsPerSector; ++slot, ++fat) {
            AppendU32(out,
                      fat < layout.fatSectors ? static_cast<std::uint32_t>(layout.firstFatSector + fat) : kFreeSector);
        }
        const bool last = sector + 1 == layout.difatSectors;
        AppendU32(out, last ? kEndOfChain : static_cast<std::uint32_t>(layout.firstDifatSector + sector + 1));
    }
}

}  // namespace

ByteBuffer BuildCompoundFile(std::u16string_view streamName, const ByteBuffer& stream) {
    if (stream.size() > kMaxStreamSize) {
        throw std::length_error("the workbook is too large for an Excel 97-2003 file");
    }
    if (streamName.empty() || streamName.size() > 31) {
        throw std::invalid_argument("a compound document stream name has 1 to 31 characters");
    }
    const std::size_t streamSize = std::max(stream.size(), kMiniStreamCutoff);
    const Layout layout = PlanLayout(streamSize);

    ByteBuffer out;
    out.reserve(kSectorSize * (1 + layout.TotalSectors()));
    AppendHeader(out, layout);
    out.insert(out.end(), stream.begin(), stream.end());
    out.resize(kSectorSize * (1 + layout.streamSectors), 0);

    AppendDirectoryEntry(out, u"Root Entry", 5, 1, kEndOfChain, 0);
    AppendDirectoryEntry(out, streamName, 2, kNoStream, 0, static_cast<std::uint32_t>(streamSize));
    AppendDirectoryEntry(out, u"", 0, kNoStream, 0, 0);
    AppendDirectoryEntry(out, u"", 0, kNoStream, 0, 0);

    AppendAllocationTable(out, layout);
    AppendDifat(out, layout);
    return out;
}

}  // namespace velanto
