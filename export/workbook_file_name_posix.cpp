#include "export/workbook_file_name.h"

namespace velanto {

std::string WorkbookFileName(const std::filesystem::path& file) { return file.native(); }

}  // namespace velanto
