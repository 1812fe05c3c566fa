#pragma once

#include <filesystem>
#include <string>

namespace velanto {

// The name by which FreeXL, which opens its file with the C library's fopen, finds `file`.
std::string WorkbookFileName(const std::filesystem::path& file);

}  // namespace velanto
