#pragma once

#include <filesystem>

#include "xlsdriver/byte_buffer.h"

namespace velanto {

// How a finished file takes its place at the target path.
enum class Placement {
    kReplace,    // over whatever is there
    kCreateNew,  // only where nothing is; fails with EEXIST otherwise
};

// Writes `bytes` to a new file in the target's folder, flushes it to disk and then moves
// it to `target` in one step, so a reader sees either the old file or the whole new one.
// Throws std::system_error naming what failed; the target is then untouched and the
// temporary file removed.
void WriteFileWhole(const std::filesystem::path& target, const ByteBuffer& bytes, Placement placement);

}  // namespace velanto
