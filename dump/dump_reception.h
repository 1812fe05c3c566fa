#pragma once

#include <cstddef>
#include <cstdint>

#include "dump/detector_dump.h"

namespace velanto {

// The image being received: the stream of bytes from the detector, cut into pieces of
// kDumpSize bytes. Bytes after a complete image begin the next one.
class DumpReception {
public:
    // Stores one byte and returns how many bytes the image now holds; kDumpSize means it is
    // complete. A byte after a complete image that nobody restarted begins the next one.
    std::size_t StoreByte(std::uint8_t byte) {
        if (m_count == kDumpSize) {
            m_count = 0;
        }
        m_image[m_count] = byte;
        return ++m_count;
    }

    bool IsComplete() const { return m_count == kDumpSize; }
    const DetectorDump& Image() const { return m_image; }
    std::size_t Count() const { return m_count; }

    // The next byte is stored at offset 0, as the first of a new image.
    void Restart() { m_count = 0; }

private:
    DetectorDump m_image{};
    std::size_t m_count = 0;
};

}  // namespace velanto
