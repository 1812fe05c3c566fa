// The export's own calls through the driver manager, read back with two independent readers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/xlsdriver/odbc_test_support.h"

namespace velanto {
namespace {

using testing::ExportConnectionString;
using testing::OdbcSession;
using testing::ReadSheet;
using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kHeadings = {"0ID",     "1TESTNO", "2Date",  "3Hour",  "4Prog",
                                            "5Result", "6RLU",    "7Lower", "8Upper", "9remark"};

// The statements built as the export builds them, character for character.
std::string CreateStatement(const std::vector<std::string>& headings) {
    std::string columns;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        columns += (i ? ", " : "") + std::string(" ") + headings[i] + " TEXT";
    }
    return "CREATE TABLE velanto ( " + columns + " ) ";
}

std::string InsertStatement(const std::vector<std::string>& headings, const std::vector<std::string>& cells) {
    std::string names, values;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        names += (i ? ", " : "") + std::string(" ") + headings[i] + " ";
        values += (i ? ", " : "") + std::string(" '") + cells[i] + "' ";
    }
    return "INSERT INTO velanto (" + names + ")" + " VALUES(" + values + ")";
}

// Exports `rows` to `path` the way the spreadsheet export does.
void Export(const std::string& path, const Rows& rows) {
    testing::UseBuildTreeOdbcConfiguration("/nonexistent/unused.xls");
    OdbcSession session;
    const auto connected = session.DriverConnect(ExportConnectionString(path));
    ASSERT_TRUE(SQL_SUCCEEDED(connected.code)) << connected.sqlstate << " " << connected.message;
    const auto created = session.Execute(CreateStatement(kHeadings));
    ASSERT_EQ(created.code, SQL_SUCCESS) << created.message;
    for (const auto& row : rows) {
        const auto inserted = session.Execute(InsertStatement(kHeadings, row));
        ASSERT_EQ(inserted.code, SQL_SUCCESS) << inserted.message;
    }
    ASSERT_EQ(session.Disconnect().code, SQL_SUCCESS);
}

// xls2csv stops a row at its last non-empty cell.
Rows WithoutTrailingEmptyCells(Rows rows) {
    for (auto& row : rows) {
        while (!row.empty() && row.back().empty())
            row.pop_back();
    }
    return rows;
}

void ExpectBothReadersSee(const std::string& path, const Rows& rows) {
    Rows expected = {kHeadings};
    expected.insert(expected.end(), rows.begin(), rows.end());
    const std::vector<ReadSheet> xlrd = testing::ReadWithXlrd(path);
    ASSERT_EQ(xlrd.size(), 1u);
    EXPECT_EQ(xlrd[0].name, "velanto");
    EXPECT_EQ(xlrd[0].rows, expected);
    const std::vector<ReadSheet> xls2csv = testing::ReadWithXls2csv(path);
    ASSERT_EQ(xls2csv.size(), 1u);
    EXPECT_EQ(xls2csv[0].rows, WithoutTrailingEmptyCells(expected));
}

TEST(OdbcExport, ThreeRowsOfTheRecordList) {
    testing::ScratchFolder folder;
    const std::string path = (folder / "20070315090500.xls").string();
    const Rows rows = {{"4660", "1", "2007/03/15", "09:05", "3", "Caution", "144", "100", "500", ""},
                       {"4660", "2", "2007/03/15", "09:07", "3", "Pass", "12", "100", "500", ""},
                       {"4660", "3", "2007/03/16", "17:59", "101", "Failed", "65535", "0", "1", ""}};
    Export(path, rows);
    ExpectBothReadersSee(path, rows);
}

TEST(OdbcExport, TwoThousandRowsInAFolderWithSpaces) {
    testing::ScratchFolder folder;
    std::filesystem::create_directory(folder / "my data");
    const std::string path = (folder / "my data" / "full.xls").string();
    Rows rows;
    for (int i = 1; i <= 2000; ++i) {
        rows.push_back({"7", std::to_string(i), "2026/12/08", "19:" + std::to_string(10 + i % 50),
                        std::to_string(i % 7), i % 3 ? "Pass" : "Failed", std::to_string(i * 31 % 9999), "100", "500",
                        ""});
    }
    Export(path, rows);
    ExpectBothReadersSee(path, rows);
}

TEST(OdbcExport, UnicodeTextAndDoubledApostrophes) {
    testing::ScratchFolder folder;
    const std::string path = (folder / "\xE6\x95\xB0\xE6\x8D\xAE.xls").string();
    // Full-width punctuation, U+0100 and a character beyond 16 bits: xls2csv (catdoc 0.95)
    // misreads these and every shared string after them, so they come last and only xlrd
    // checks them.
    const std::string beyondCatdoc = "\xE5\x87\xBA\xE9\x94\x99\xEF\xBC\x81 \xF0\x9F\x98\x80 \xC4\x80";
    std::vector<std::string> cells(10, "x");
    cells[0] = "\xE8\xA6\x86\xE7\x9B\x96\xE6\x96\x87\xE4\xBB\xB6 caf\xC3\xA9";
    cells[8] = "it''s the operator''s";
    cells[9] = beyondCatdoc;
    testing::UseBuildTreeOdbcConfiguration("/nonexistent/unused.xls");
    {
        OdbcSession session;
        ASSERT_TRUE(SQL_SUCCEEDED(session.DriverConnect(ExportConnectionString(path)).code));
        ASSERT_EQ(session.Execute(CreateStatement(kHeadings)).code, SQL_SUCCESS);
        ASSERT_EQ(session.Execute(InsertStatement(kHeadings, cells)).code, SQL_SUCCESS);
    }  // the session's end disconnects, which writes the file

    std::vector<std::string> expected = cells;
    expected[8] = "it's the operator's";
    const std::vector<ReadSheet> xlrd = testing::ReadWithXlrd(path);
    ASSERT_EQ(xlrd.size(), 1u);
    EXPECT_EQ(xlrd[0].rows, (Rows{kHeadings, expected}));
    const std::vector<ReadSheet> xls2csv = testing::ReadWithXls2csv(path);
    ASSERT_EQ(xls2csv.size(), 1u);
    ASSERT_EQ(xls2csv[0].rows.size(), 2u);
    ASSERT_EQ(xls2csv[0].rows[1].size(), 10u);
    EXPECT_EQ(std::vector<std::string>(xls2csv[0].rows[1].begin(), xls2csv[0].rows[1].end() - 1),
              std::vector<std::string>(expected.begin(), expected.end() - 1));
}

// Texts of characters beyond 16 bits, each shifted by one unit, long enough to run on into
// CONTINUE records: the records' ends meet the pairs at every place, and never split one.
TEST(OdbcExport, CharactersBeyondSixteenBitsAcrossRecordEnds) {
    testing::ScratchFolder folder;
    const std::string path = (folder / "pairs.xls").string();
    Rows rows;
    for (int shift = 0; shift < 4; ++shift) {
        std::vector<std::string> cells(10, "");
        cells[0] = std::string(static_cast<std::size_t>(shift), 'x');
        for (int i = 0; i < 3000; ++i) {
            cells[0] += "\xF0\x9F\x98\x80";
        }
        rows.push_back(cells);
    }
    Export(path, rows);
    Rows expected = {kHeadings};
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(testing::ReadWithXlrd(path).at(0).rows, expected);
}

}  // namespace
}  // namespace velanto
