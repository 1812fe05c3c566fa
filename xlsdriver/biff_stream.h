#pragma once

#include <cstdint>

#include "xlsdriver/byte_buffer.h"

namespace velanto {

// A BIFF8 record stream: each record is a 2-byte type, a 2-byte body length and at
// most 8224 body bytes. A record is begun, its body appended to Bytes(), and ended,
// which fills in the length.
class BiffStream {
public:
    static constexpr std::size_t kMaxBody = 8224;

    void Begin(std::uint16_t type);
    void End();
    // Bytes the open record's body can still take.
    std::size_t Room() const { return kMaxBody - (m_bytes.size() - m_recordStart - 4); }
    // Where the open record starts in the stream, header included.
    std::size_t RecordStart() const { return m_recordStart; }

    ByteBuffer& Bytes() { return m_bytes; }
    std::size_t Position() const { return m_bytes.size(); }

private:
    ByteBuffer m_bytes;
    std::size_t m_recordStart = 0;
};

}  // namespace velanto
