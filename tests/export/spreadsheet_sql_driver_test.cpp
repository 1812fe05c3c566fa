#include <gtest/gtest.h>

#include "export/spreadsheet_export.h"
#include "xlsdriver/connection_string.h"

// With the project's own .xls driver, which POSIX systems alone build.
namespace velanto {
namespace {

// Whatever the path holds, the driver reads it back whole from both attributes.
TEST(SpreadsheetSql, EveryPathComesBackWholeFromTheDriversParser) {
    for (const std::string path :
         {"/d/data;x=1.xls", "/d/trailing.xls ", "/d/a\"b.xls", "/d/{x}}.xls", " /d/lead.xls", "/d/x=1;y", "/d/''"}) {
        const std::string text = SpreadsheetConnectionString("velanto Excel Driver (*.xls)", path);
        const ConnectionOptions options = ReadConnectionOptions(ParseConnectionString(text));
        EXPECT_EQ(options.createPath, path) << text;
        EXPECT_EQ(options.workbookPath, path) << text;
        EXPECT_TRUE(options.firstRowHasNames);
        EXPECT_FALSE(options.readOnly);
    }
    EXPECT_FALSE(ConnectionStringCanCarry(std::string("/d/a.xls\0.old", 14)));
}

}  // namespace
}  // namespace velanto
