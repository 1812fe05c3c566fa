#pragma once

#include <filesystem>
#include <stdexcept>

#include "dump/detector_dump.h"

namespace velanto {

// A file that holds more or fewer bytes than one dump.
class DumpSizeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a dump image from a file that must be exactly kDumpSize bytes long. Throws
// DumpSizeError for any other length and std::runtime_error when the file cannot
// be read (a folder, for one), each with a message naming the file and the problem.
DetectorDump LoadDumpFile(const std::filesystem::path& path);

// Writes the image through a temporary file in the same folder, renamed over the
// target only once complete, so an existing file is never left half-written. Only a
// regular file or a new name is written: a folder, a link or a device is refused with
// std::runtime_error, as is any failure, each naming the path and the cause.
void SaveDumpFile(const std::filesystem::path& path, const DetectorDump& image);

}  // namespace velanto
