#include "tests/xlsdriver/xls_reader.h"

#include <stdexcept>

namespace velanto::testing {
namespace {

std::uint32_t U16(const Bytes& b, std::size_t at) {
    if (at + 2 > b.size())
        throw std::runtime_error("read past the end");
    return b[at] | b[at + 1] << 8;
}
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

constexpr std::uint32_t kEnd = 0xFFFFFFFE;

Bytes Sector(const Bytes& file, std::uint32_t id) {
    const std::size_t start = 512 + std::size_t{id} * 512;
    if (start + 512 > file.size())
        throw std::runtime_error("sector past the end of the file");
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(start),
                 file.begin() + static_cast<std::ptrdiff_t>(start + 512));
}

std::vector<std::uint32_t> AllocationTable(const Bytes& file) {
    std::vector<std::uint32_t> fatSectors;
    const std::uint32_t fatCount = U32(file, 44);
    for (std::size_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(U32(file, 76 + 4 * i));
    std::uint32_t difat = U32(file, 68);
    for (std::uint32_t n = U32(file, 72); n > 0; --n) {
        const Bytes sector = Sector(file, difat);
        for (std::size_t i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(U32(sector, 4 * i));
        difat = U32(sector, 508);
    }
    if (difat != kEnd && U32(file, 72) > 0)
        throw std::runtime_error("extension chain does not end");
    if (fatSectors.size() != fatCount)
        throw std::runtime_error("allocation table sectors missing");
    std::vector<std::uint32_t> table;
    for (std::uint32_t id : fatSectors) {
        const Bytes sector = Sector(file, id);
        for (std::size_t i = 0; i < 128; ++i)
            table.push_back(U32(sector, 4 * i));
    }
    return table;
}

Bytes Chain(const Bytes& file, const std::vector<std::uint32_t>& table, std::uint32_t first) {
    Bytes out;
    for (std::uint32_t id = first; id != kEnd;) {
        if (id >= table.size() || out.size() > file.size())
            throw std::runtime_error("broken sector chain");
        const Bytes sector = Sector(file, id);
        out.insert(out.end(), sector.begin(), sector.end());
        id = table[id];
    }
    return out;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6), out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12), out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18), out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F)), out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size())
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        AppendUtf8(out, cp);
    }
    return out;
}

// Reads the shared strings from the SST body and its CONTINUE bodies.
std::vector<std::string> SharedStrings(const std::vector<Bytes>& bodies) {
    std::size_t part = 0, at = 8;
    const std::uint32_t unique = U32(bodies.at(0), 4);
    std::vector<std::string> strings;
    auto nextPart = [&] {
        if (++part >= bodies.size())
            throw std::runtime_error("shared strings run past their records");
        at = 0;
    };
    for (std::uint32_t s = 0; s < unique; ++s) {
        if (at == bodies[part].size())
            nextPart();
        const std::uint32_t count = U16(bodies[part], at);
        bool wide = bodies[part].at(at + 2) & 1;
        if (bodies[part].at(at + 2) & 0x0C)
            throw std::runtime_error("unexpected rich text or extension");
        at += 3;
        std::u16string text;
        while (text.size() < count) {
            if (at == bodies[part].size()) {
                nextPart();
                wide = bodies[part].at(at++) & 1;
            }
            text += static_cast<char16_t>(wide ? U16(bodies[part], at) : bodies[part].at(at));
            at += wide ? 2 : 1;
        }
        strings.push_back(Utf16ToUtf8(text));
    }
    return strings;
}

}  // namespace

std::map<std::u16string, Bytes> ReadCompoundStreams(const Bytes& file) {
    if (file.size() < 512 || U32(file, 0) != 0xE011CFD0 || U32(file, 4) != 0xE11AB1A1)
        throw std::runtime_error("no signature");
    if (U16(file, 26) != 3 || U16(file, 30) != 9)
        throw std::runtime_error("not version 3 with 512-byte sectors");
    if ((file.size() - 512) % 512 != 0)
        throw std::runtime_error("file is not whole sectors");
    const std::vector<std::uint32_t> table = AllocationTable(file);
    const Bytes directory = Chain(file, table, U32(file, 48));
    std::map<std::u16string, Bytes> streams;
    for (std::size_t entry = 0; entry + 128 <= directory.size(); entry += 128) {
        if (directory[entry + 66] != 2)
            continue;
        std::u16string name;
        for (std::size_t i = 0; i + 2 < U16(directory, entry + 64); i += 2)
            name += static_cast<char16_t>(U16(directory, entry + i));
        const std::uint32_t size = U32(directory, entry + 120);
        if (size < U32(file, 56))
            throw std::runtime_error("stream would live in the mini stream");
        Bytes data = Chain(file, table, U32(directory, entry + 116));
        if (data.size() < size)
            throw std::runtime_error("stream shorter than its size");
        data.resize(size);
        streams[name] = std::move(data);
    }
    return streams;
}

std::vector<BiffRecord> ReadBiffRecords(const Bytes& stream) {
    std::vector<BiffRecord> records;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint16_t type = static_cast<std::uint16_t>(U16(stream, at));
        const std::size_t length = U16(stream, at + 2);
        if (type == 0 && length == 0)
            break;  // the zero padding after the last sheet
        if (at + 4 + length > stream.size())
            throw std::runtime_error("record runs past the stream");
        records.push_back({at, type,
                           Bytes(stream.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                 stream.begin() + static_cast<std::ptrdiff_t>(at + 4 + length))});
        at += 4 + length;
    }
    return records;
}

std::vector<SheetContents> ReadSheets(const Bytes& workbookStream) {
    const std::vector<BiffRecord> records = ReadBiffRecords(workbookStream);
    std::vector<Bytes> sstBodies;
    std::vector<std::pair<std::string, std::size_t>> bound;
    for (std::size_t i = 0; i < records.size() && records[i].type != 0x000A; ++i) {
        const BiffRecord& r = records[i];
        if (r.type == 0x00FC) {
            sstBodies.push_back(r.body);
            for (std::size_t j = i + 1; j < records.size() && records[j].type == 0x003C; ++j)
                sstBodies.push_back(records[j].body);
        } else if (r.type == 0x0085) {
            std::u16string name;
            const bool wide = r.body.at(7) & 1;
            for (std::size_t k = 0; k < r.body.at(6); ++k)
                name += static_cast<char16_t>(wide ? U16(r.body, 8 + 2 * k) : r.body.at(8 + k));
            bound.emplace_back(Utf16ToUtf8(name), U32(r.body, 0));
        }
    }
    const std::vector<std::string> strings = sstBodies.empty() ? std::vector<std::string>{} : SharedStrings(sstBodies);
    std::vector<SheetContents> sheets;
    for (const auto& [name, position] : bound) {
        SheetContents sheet{name, 0, 0, {}};
        std::size_t i = 0;
        while (i < records.size() && records[i].position != position)
            ++i;
        if (i == records.size() || records[i].type != 0x0809 || U16(records[i].body, 2) != 0x0010)
            throw std::runtime_error("sheet position is not a worksheet BOF");
        for (++i; i < records.size() && records[i].type != 0x000A; ++i) {
            const Bytes& body = records[i].body;
            if (records[i].type == 0x0200) {
                sheet.dimensionRows = U32(body, 4);
                sheet.dimensionColumns = U16(body, 10);
            } else if (records[i].type == 0x00FD) {
                sheet.cells[{U16(body, 0), U16(body, 2)}] = strings.at(U32(body, 6));
            }
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

}  // namespace velanto::testing
