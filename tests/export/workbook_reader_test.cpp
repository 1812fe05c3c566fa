#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "export/export_error.h"
#include "export/workbook_reader.h"
#include "tests/scratch_folder.h"
#include "xlsdriver/xls_encoder.h"

namespace velanto {
namespace {

std::vector<std::string> Headings() { return {kResultHeadings.begin(), kResultHeadings.end()}; }

// Writes a workbook of one sheet, as the .xls driver writes velanto's export.
void WriteWorkbook(const std::filesystem::path& path, const std::string& sheet, std::vector<std::string> columns,
                   const std::vector<std::vector<std::string>>& rows) {
    Workbook workbook(true);  // the column names in the first row, as velanto's connection asks
    workbook.CreateSheet(sheet, std::move(columns));
    for (const auto& row : rows) {
        workbook.Sheet(sheet).AppendRow(row);
    }
    const ByteBuffer bytes = EncodeXlsFile(workbook);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(WorkbookReader, ReadsBackTheRowsOfVelantosExport) {
    testing::ScratchFolder folder;
    const std::vector<std::vector<std::string>> rows = {
        {"4660", "1", "2024/02/29", "08:15", "3", "Pass", "120", "150", "300", ""},
        {"4660", "2", "20:;/13/01", "24:00", "101", "Failed", "9999", "150", "300", ""}};
    WriteWorkbook(folder / "results.xls", "velanto", Headings(), rows);
    const MemoryRecordTable read = ReadWorkbook(folder / "results.xls");
    ASSERT_EQ(read.RowCount(), rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (std::size_t column = 0; column < kResultColumnCount; ++column) {
            EXPECT_EQ(read.CellText(row, column), rows[row][column]) << row << "," << column;
        }
    }
}

// FreeXL opens files by narrow names: on Windows those of the ANSI code page, which lacks Greek here.
TEST(WorkbookReader, ReadsAWorkbookWhoseNameHoldsAnyCharacter) {
    testing::ScratchFolder folder;
    const std::filesystem::path greek = folder.Path() / u8"Αποτελέσματα";
    std::filesystem::create_directory(greek);
    WriteWorkbook(greek / u8"μνήμη.xls", "velanto", Headings(),
                  {{"7", "1", "2024/02/29", "08:15", "3", "Pass", "120", "150", "300", ""}});
    EXPECT_EQ(ReadWorkbook(greek / u8"μνήμη.xls").RowCount(), 1u);
}

TEST(WorkbookReader, RefusesAFileThatIsNoneOfVelantosWorkbooks) {
    testing::ScratchFolder folder;
    std::ofstream(folder / "atp00.txt") << "2024year02month29day08hour00minute00second\r\n";
    WriteWorkbook(folder / "other.xls", "Sheet1", Headings(), {});
    std::vector<std::string> renamed = Headings();
    renamed[6] = "RLU";
    WriteWorkbook(folder / "renamed.xls", "velanto", renamed, {});
    for (const auto& [name, why] :
         {std::pair{"atp00.txt", "not an Excel 97-2003 workbook"}, std::pair{"other.xls", "no sheet named \"velanto\""},
          std::pair{"renamed.xls", "the sheet \"velanto\" has no heading row"}}) {
        try {
            ReadWorkbook(folder / name);
            ADD_FAILURE() << name;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(why, 0), 0u) << error.what();
        }
    }
}

}  // namespace
}  // namespace velanto
