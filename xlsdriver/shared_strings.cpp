#include "xlsdriver/shared_strings.h"

#include <algorithm>

#include "xlsdriver/utf8.h"

namespace velanto {
namespace {

constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::size_t kStringHeader = 3;  // character count and option flags

// A surrogate pair is one character: readers refuse a workbook that splits one between records.
bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// The bytes the character starting at unit `at` takes.
std::size_t CharacterBytes(const std::u16string& text, std::size_t at, std::size_t width) {
    return IsHighSurrogate(text[at]) ? 2 * width : width;
}

// Texts whose characters all fit in one byte are stored one byte a character.
bool Compressible(const std::u16string& text) {
    return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x100; });
}

// Appends characters [from, from + count) in the stored width.
void AppendCharacters(ByteBuffer& out, const std::u16string& text, std::size_t from, std::size_t count, bool narrow) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (narrow) {
            AppendU8(out, static_cast<std::uint8_t>(text[i]));
        } else {
            AppendU16(out, text[i]);
        }
    }
}

// Writes one string; the character data may run on into CONTINUE records, each of
// which then begins by repeating the width flag. Returns where the string starts:
// its stream position and its offset in the record holding its header.
std::pair<std::size_t, std::size_t> WriteString(BiffStream& stream, const std::u16string& text) {
    const bool narrow = Compressible(text);
    const std::size_t width = narrow ? 1 : 2;
    const std::uint8_t flags = narrow ? 0x00 : 0x01;
    if (stream.Room() < kStringHeader + (text.empty() ? 0 : CharacterBytes(text, 0, width))) {
        stream.End();
        stream.Begin(kContinue);
    }
    const std::pair<std::size_t, std::size_t> start{stream.Position(), stream.Position() - stream.RecordStart()};
    ByteBuffer& out = stream.Bytes();
    AppendU16(out, static_cast<std::uint16_t>(text.size()));
    AppendU8(out, flags);
    for (std::size_t written = 0; written < text.size();) {
        if (stream.Room() < CharacterBytes(text, written, width)) {
            stream.End();
            stream.Begin(kContinue);
            AppendU8(out, flags);
        }
        std::size_t end = written + std::min(text.size() - written, stream.Room() / width);
        if (end < text.size() && IsHighSurrogate(text[end - 1])) {
            --end;
        }
        AppendCharacters(out, text, written, end - written, narrow);
        written = end;
    }
    return start;
}

}  // namespace

std::uint32_t SharedStrings::Add(std::string_view text) {
    const auto [entry, added] = m_indexes.try_emplace(text, UniqueCount());
    if (added) {
        m_texts.push_back(text);
    }
    return entry->second;
}

void SharedStrings::Write(BiffStream& stream, std::uint32_t references) const {
    // EXTSST points at every bucketSize-th string, in at most 128 buckets.
    const std::size_t bucketSize = std::max<std::size_t>(8, (m_texts.size() + 127) / 128);
    std::vector<std::pair<std::size_t, std::size_t>> bucketStarts;

    stream.Begin(kSst);
    AppendU32(stream.Bytes(), references);
    AppendU32(stream.Bytes(), UniqueCount());
    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        // The workbook model only holds UTF-8, so the conversion cannot fail here.
        const auto start = WriteString(stream, Utf8ToUtf16(m_texts[i]).value_or(u""));
        if (i % bucketSize == 0) {
            bucketStarts.push_back(start);
        }
    }
    stream.End();

    stream.Begin(kExtSst);
    AppendU16(stream.Bytes(), static_cast<std::uint16_t>(bucketSize));
    for (const auto& [position, offset] : bucketStarts) {
        AppendU32(stream.Bytes(), static_cast<std::uint32_t>(position));
        AppendU16(stream.Bytes(), static_cast<std::uint16_t>(offset));
        AppendU16(stream.Bytes(), 0);
    }
    stream.End();
}

}  // namespace velanto
