#pragma once

#include <string_view>

#include "xlsdriver/byte_buffer.h"

namespace velanto {

// The container of an Excel 97-2003 file: a compound document (version 3, 512-byte
// sectors) holding one stream under the root storage. A stream shorter than the
// 4096-byte mini-stream cutoff is padded with zero bytes up to it, so every byte lives
// in regular sectors and no mini stream is needed. Throws std::length_error for a
// stream too long for the format.
ByteBuffer BuildCompoundFile(std::u16string_view streamName, const ByteBuffer& stream);

}  // namespace velanto
