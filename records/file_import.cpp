#include "records/file_import.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "export/export_error.h"
#include "export/text_export_reader.h"
#include "export/workbook_reader.h"
#include "os/utf8_path.h"

namespace velanto {
namespace {

// What every Excel 97-2003 workbook starts with: the compound document's signature.
constexpr std::string_view kCompoundSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// What a text export starts with: the year of its time line.
bool LooksLikeTextExport(std::string_view bytes) {
    return bytes.size() > 8 &&
           std::all_of(bytes.begin(), bytes.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }) &&
           bytes.substr(4, 4) == "year";
}

std::string ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        throw StoreError("it cannot be read");
    }
    return bytes;
}

ImportCounts ImportFileContents(RecordStore& store, const std::filesystem::path& file, std::string_view version) {
    if (!std::filesystem::exists(file)) {
        throw StoreError("there is no such file");
    }
    if (std::filesystem::is_directory(file)) {
        throw StoreError("it is a folder");
    }
    const std::string bytes = ReadWholeFile(file);
    DownloadOrigin origin{Utf8Of(std::filesystem::absolute(file)), std::string(version), {}};
    if (LooksLikeTextExport(bytes)) {
        return store.Import(origin, ParseTextExport(bytes));
    }
    if (bytes.starts_with(kCompoundSignature)) {
        return store.Import(origin, ReadWorkbook(file));
    }
    if (bytes.size() != kDumpSize) {
        throw StoreError("it is neither a detector image (" + std::to_string(kDumpSize) +
                         " bytes), a text export nor a workbook of velanto's");
    }
    DetectorDump image;
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return ImportImage(store, image, std::move(origin.source), version);
}

}  // namespace

ImportCounts ImportImage(RecordStore& store, const DetectorDump& image, std::string source,
                         std::string_view programVersion) {
    MemoryRecordTable rows;
    DecodeDump(image, rows);
    return store.Import({std::move(source), std::string(programVersion), image}, rows);
}

ImportCounts ImportFile(RecordStore& store, const std::filesystem::path& file, std::string_view programVersion) {
    try {
        return ImportFileContents(store, file, programVersion);
    } catch (const StoreError& error) {  // named, and still telling a lost server or a wanted password
        throw StoreError(Utf8Of(file) + ": " + error.what(), error.SqliteCode(), error.Why());
    } catch (const std::exception& error) {
        throw StoreError(Utf8Of(file) + ": " + error.what());
    }
}

std::string ImportLine(std::string_view file, const ImportCounts& counts) {
    return std::string(file) + ": " + std::to_string(counts.added) + " new, " + std::to_string(counts.alreadyKept) +
           " already kept";
}

}  // namespace velanto
