#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xlsdriver/biff_stream.h"

namespace velanto {

// The workbook's table of unique cell texts, which the cells refer to by index.
class SharedStrings {
public:
    // The index of `text` (UTF-8), adding it at first use. The text must stay alive and
    // unchanged until the table is written.
    std::uint32_t Add(std::string_view text);

    std::uint32_t UniqueCount() const { return static_cast<std::uint32_t>(m_texts.size()); }

    // Writes the SST record, with CONTINUE records for what does not fit in one, and the
    // EXTSST record that indexes it. `references` is the number of cells using the table.
    void Write(BiffStream& stream, std::uint32_t references) const;

private:
    std::vector<std::string_view> m_texts;
    std::unordered_map<std::string_view, std::uint32_t> m_indexes;
};

}  // namespace velanto
