#pragma once

#include <string>
#include <string_view>

#include "os/file_system.h"

namespace velanto {

// Writes `bytes` to a new file under a short hidden name in the folder of `target`, puts them on
// the disk, then gives that file the target's name in one step, in place of whatever entry held
// it: a reader finds the old contents or the whole new ones, never a part. On a failure, its
// cause, naming the file it concerns; the target is then untouched and the new file gone.
FailureCause WriteFileWhole(const std::string& target, std::string_view bytes);

}  // namespace velanto
