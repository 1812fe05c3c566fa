#include "xlsdriver/biff_stream.h"

#include <stdexcept>

namespace velanto {

void BiffStream::Begin(std::uint16_t type) {
    m_recordStart = m_bytes.size();
    AppendU16(m_bytes, type);
    AppendU16(m_bytes, 0);
}

void BiffStream::End() {
    const std::size_t body = m_bytes.size() - m_recordStart - 4;
    if (body > kMaxBody) {
        throw std::logic_error("a BIFF record body grew past 8224 bytes");
    }
    PutU16(m_bytes, m_recordStart + 2, static_cast<std::uint16_t>(body));
}

}  // namespace velanto
