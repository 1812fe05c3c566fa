#include "xlsdriver/xls_encoder.h"

#include <string_view>

#include "xlsdriver/biff_stream.h"
#include "xlsdriver/compound_file.h"
#include "xlsdriver/shared_strings.h"
#include "xlsdriver/utf8.h"

namespace velanto {
namespace {

namespace record {
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kInterfaceHdr = 0x00E1;
constexpr std::uint16_t kMms = 0x00C1;
constexpr std::uint16_t kInterfaceEnd = 0x00E2;
constexpr std::uint16_t kWriteAccess = 0x005C;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kDsf = 0x0161;
constexpr std::uint16_t kWindowProtect = 0x0019;
constexpr std::uint16_t kProtect = 0x0012;
constexpr std::uint16_t kPassword = 0x0013;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kBackup = 0x0040;
constexpr std::uint16_t kHideObj = 0x008D;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kPrecision = 0x000E;
constexpr std::uint16_t kBookBool = 0x00DA;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kWindow2 = 0x023E;
}  // namespace record

constexpr std::uint16_t kUtf16CodePage = 1200;
constexpr std::uint16_t kDefaultCellXf = 15;  // the first cell format, after the 15 style formats
constexpr std::size_t kRowBlock = 32;         // rows whose ROW records precede their cells

// A record whose body is a list of 16-bit numbers.
void WriteRecord(BiffStream& stream, std::uint16_t type, std::initializer_list<std::uint16_t> body) {
    stream.Begin(type);
    for (std::uint16_t value : body) {
        AppendU16(stream.Bytes(), value);
    }
    stream.End();
}

void WriteBof(BiffStream& stream, std::uint16_t substreamType) {
    stream.Begin(record::kBof);
    ByteBuffer& out = stream.Bytes();
    AppendU16(out, 0x0600);  // BIFF8
    AppendU16(out, substreamType);
    AppendU16(out, 0x0DBB);  // build
    AppendU16(out, 0x07CC);  // year
    AppendU32(out, 0);       // file history
    AppendU32(out, 0x06);    // lowest version that can read all of it: BIFF8
    stream.End();
}

// A string with a one-byte length, always stored as UTF-16.
void AppendShortUnicode(ByteBuffer& out, const std::u16string& text) {
    AppendU8(out, static_cast<std::uint8_t>(text.size()));
    AppendU8(out, 0x01);
    for (char16_t unit : text) {
        AppendU16(out, unit);
    }
}

void WriteWriteAccess(BiffStream& stream) {
    constexpr std::string_view kUser = "velanto";
    stream.Begin(record::kWriteAccess);
    ByteBuffer& out = stream.Bytes();
    const std::size_t start = out.size();
    AppendU16(out, static_cast<std::uint16_t>(kUser.size()));
    AppendU8(out, 0x00);
    out.insert(out.end(), kUser.begin(), kUser.end());
    out.resize(start + 112, ' ');  // the record is always padded to 112 bytes
    stream.End();
}

void WriteWindow1(BiffStream& stream) {
    // Position and size in twips, horizontal and vertical scroll bars and sheet tabs shown,
    // first sheet active and selected, tab area 60% of the bar.
    WriteRecord(stream, record::kWindow1, {0x0168, 0x001E, 0x3A5C, 0x2328, 0x0038, 0, 0, 1, 0x0258});
}

void WriteFont(BiffStream& stream) {
    stream.Begin(record::kFont);
    ByteBuffer& out = stream.Bytes();
    AppendU16(out, 200);     // 10 points, in twentieths
    AppendU16(out, 0);       // not italic, not struck out
    AppendU16(out, 0x7FFF);  // automatic colour
    AppendU16(out, 400);     // normal weight
    AppendU16(out, 0);       // no super- or subscript
    AppendU8(out, 0);        // no underline
    AppendU8(out, 0);        // family
    AppendU8(out, 0);        // character set
    AppendU8(out, 0);
    AppendShortUnicode(out, u"Arial");
    stream.End();
}

// Cell format record: font 0 and the General number format. Style formats have no parent
// (0xFFF in the top 12 bits) and the style flag; the cell format takes style 0 as parent.
void WriteXf(BiffStream& stream, bool style, bool firstStyle) {
    stream.Begin(record::kXf);
    ByteBuffer& out = stream.Bytes();
    AppendU16(out, 0);                                  // font
    AppendU16(out, 0);                                  // number format: General
    AppendU16(out, style ? 0xFFF5 : 0x0001);            // locked; style flag and parent
    AppendU8(out, 0x20);                                // aligned to the bottom
    AppendU8(out, 0);                                   // no rotation
    AppendU8(out, 0);                                   // no indent
    AppendU8(out, style && !firstStyle ? 0xF4 : 0x00);  // which attribute groups the format sets
    AppendU32(out, 0);                                  // no borders
    AppendU32(out, 0);
    AppendU16(out, 0x20C0);  // automatic pattern colours
    stream.End();
}

// Writes the workbook globals up to the sheet list; returns where each BOUNDSHEET keeps
// the position of its sheet, to be filled in once the sheets are written.
std::vector<std::size_t> WriteGlobals(BiffStream& stream, const std::vector<std::u16string>& sheetNames) {
    WriteBof(stream, 0x0005);
    WriteRecord(stream, record::kInterfaceHdr, {kUtf16CodePage});
    WriteRecord(stream, record::kMms, {0});
    WriteRecord(stream, record::kInterfaceEnd, {});
    WriteWriteAccess(stream);
    WriteRecord(stream, record::kCodePage, {kUtf16CodePage});
    WriteRecord(stream, record::kDsf, {0});
    WriteRecord(stream, record::kWindowProtect, {0});
    WriteRecord(stream, record::kProtect, {0});
    WriteRecord(stream, record::kPassword, {0});
    WriteWindow1(stream);
    WriteRecord(stream, record::kBackup, {0});
    WriteRecord(stream, record::kHideObj, {0});
    WriteRecord(stream, record::kDateMode, {0});  // dates count from 1900
    WriteRecord(stream, record::kPrecision, {1});
    WriteRecord(stream, record::kBookBool, {0});
    for (int font = 0; font < 4; ++font) {
        WriteFont(stream);
    }
    for (int style = 0; style < kDefaultCellXf; ++style) {
        WriteXf(stream, true, style == 0);
    }
    WriteXf(stream, false, false);
    WriteRecord(stream, record::kStyle, {0x8000, 0xFF00});  // built-in style 0, Normal, on format 0

    std::vector<std::size_t> positionFields;
    for (const std::u16string& name : sheetNames) {
        stream.Begin(record::kBoundSheet);
        positionFields.push_back(stream.Position());
        AppendU32(stream.Bytes(), 0);
        AppendU16(stream.Bytes(), 0);  // a visible worksheet
        AppendShortUnicode(stream.Bytes(), name);
        stream.End();
    }
    return positionFields;
}

// The rows of one sheet in blocks of 32: the blocks' ROW records, then their cells.
void WriteCells(BiffStream& stream, const Worksheet& sheet, SharedStrings& strings, std::uint32_t& references) {
    const auto& rows = sheet.Rows();
    const auto columns = static_cast<std::uint16_t>(sheet.ColumnNames().size());
    for (std::size_t block = 0; block < rows.size(); block += kRowBlock) {
        const std::size_t end = std::min(rows.size(), block + kRowBlock);
        for (std::size_t row = block; row < end; ++row) {
            // Row r, cells 0 to columns - 1, default height, cell format 15.
            WriteRecord(stream, record::kRow,
                        {static_cast<std::uint16_t>(row), 0, columns, 0x00FF, 0, 0, 0x0100, kDefaultCellXf});
        }
        for (std::size_t row = block; row < end; ++row) {
            for (std::size_t column = 0; column < rows[row].size(); ++column) {
                const std::string& text = rows[row][column];
                if (text.empty()) {
                    continue;
                }
                stream.Begin(record::kLabelSst);
                AppendU16(stream.Bytes(), static_cast<std::uint16_t>(row));
                AppendU16(stream.Bytes(), static_cast<std::uint16_t>(column));
                AppendU16(stream.Bytes(), kDefaultCellXf);
                AppendU32(stream.Bytes(), strings.Add(text));
                stream.End();
                ++references;
            }
        }
    }
}

void WriteSheet(BiffStream& stream, const Worksheet* sheet, bool selected, SharedStrings& strings,
                std::uint32_t& references) {
    WriteBof(stream, 0x0010);
    stream.Begin(record::kDimensions);
    const bool hasRows = sheet && !sheet->Rows().empty();
    AppendU32(stream.Bytes(), 0);
    AppendU32(stream.Bytes(), hasRows ? static_cast<std::uint32_t>(sheet->Rows().size()) : 0);
    AppendU16(stream.Bytes(), 0);
    AppendU16(stream.Bytes(), hasRows ? static_cast<std::uint16_t>(sheet->ColumnNames().size()) : 0);
    AppendU16(stream.Bytes(), 0);
    stream.End();
    if (sheet) {
        WriteCells(stream, *sheet, strings, references);
    }
    // Grid lines, headers, zeros and outline symbols shown, automatic grid colour;
    // the first sheet is the selected one.
    const std::uint16_t options = selected ? 0x06B6 : 0x00B6;
    WriteRecord(stream, record::kWindow2, {options, 0, 0, 0x0040, 0, 0, 0, 0, 0});
    WriteRecord(stream, record::kEof, {});
}

}  // namespace

ByteBuffer EncodeWorkbookStream(const Workbook& workbook) {
    std::vector<std::u16string> names;
    for (const Worksheet& sheet : workbook.Sheets()) {
        names.push_back(Utf8ToUtf16(sheet.Name()).value_or(u""));
    }
    if (names.empty()) {
        names.push_back(u"Sheet1");
    }

    // Sheets go into a stream of their own first: the shared strings they collect come
    // before them in the file.
    BiffStream sheets;
    SharedStrings strings;
    std::uint32_t references = 0;
    std::vector<std::size_t> sheetStarts;
    for (std::size_t i = 0; i < names.size(); ++i) {
        sheetStarts.push_back(sheets.Position());
        const Worksheet* sheet = workbook.Sheets().empty() ? nullptr : &workbook.Sheets()[i];
        WriteSheet(sheets, sheet, i == 0, strings, references);
    }

    BiffStream globals;
    const std::vector<std::size_t> positionFields = WriteGlobals(globals, names);
    strings.Write(globals, references);
    WriteRecord(globals, record::kEof, {});

    ByteBuffer stream = std::move(globals.Bytes());
    for (std::size_t i = 0; i < names.size(); ++i) {
        PutU32(stream, positionFields[i], static_cast<std::uint32_t>(stream.size() + sheetStarts[i]));
    }
    stream.insert(stream.end(), sheets.Bytes().begin(), sheets.Bytes().end());
    return stream;
}

ByteBuffer EncodeXlsFile(const Workbook& workbook) {
    return BuildCompoundFile(u"Workbook", EncodeWorkbookStream(workbook));
}

}  // namespace velanto
