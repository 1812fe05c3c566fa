#include <gtest/gtest.h>

#include "export/spreadsheet_export.h"

namespace velanto {
namespace {

const std::vector<std::string> kTenHeadings(kResultHeadings.begin(), kResultHeadings.end());

TEST(SpreadsheetSql, TwoColumnStatementsAreExact) {
    const std::vector<std::string> headings = {"0ID", "1TESTNO"};
    EXPECT_EQ(TableCreationSql("velanto", headings), "CREATE TABLE velanto (  0ID TEXT,  1TESTNO TEXT ) ");
    EXPECT_EQ(RowInsertionSql("velanto", headings, {"4660", "1"}),
              "INSERT INTO velanto ( 0ID ,  1TESTNO ) VALUES( '4660' ,  '1' )");
}

TEST(SpreadsheetSql, TenResultColumnsAllOfTypeText) {
    EXPECT_EQ(TableCreationSql("velanto", kTenHeadings),
              "CREATE TABLE velanto (  0ID TEXT,  1TESTNO TEXT,  2Date TEXT,  3Hour TEXT,  4Prog TEXT,  "
              "5Result TEXT,  6RLU TEXT,  7Lower TEXT,  8Upper TEXT,  9remark TEXT ) ");
}

TEST(SpreadsheetSql, DecodedRowWithEmptyRemark) {
    EXPECT_EQ(RowInsertionSql("velanto", kTenHeadings,
                              {"4660", "1", "07-03-15", "09:05", "3", "Pass", "1234", "0", "2000", ""}),
              "INSERT INTO velanto ( 0ID ,  1TESTNO ,  2Date ,  3Hour ,  4Prog ,  5Result ,  6RLU ,  7Lower ,  "
              "8Upper ,  9remark ) VALUES( '4660' ,  '1' ,  '07-03-15' ,  '09:05' ,  '3' ,  'Pass' ,  '1234' ,  "
              "'0' ,  '2000' ,  '' )");
}

TEST(SpreadsheetSql, ApostropheInACellIsDoubledSoItCannotEndTheValue) {
    EXPECT_EQ(RowInsertionSql("t", {"a", "b"}, {"O'Neil", "x' ), ( 'y"}),
              "INSERT INTO t ( a ,  b ) VALUES( 'O''Neil' ,  'x'' ), ( ''y' )");
    EXPECT_EQ(RowInsertionSql("t", {"a"}, {"''"}), "INSERT INTO t ( a ) VALUES( '''''' )");
}

TEST(SpreadsheetSql, ConnectionStringQuotesOnlyTheCreatedPath) {
    EXPECT_EQ(SpreadsheetConnectionString("velanto Excel Driver (*.xls)", "/home/op/data/20070315090500.xls"),
              "DRIVER={velanto Excel Driver (*.xls)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;"
              "CREATE_DB=\"/home/op/data/20070315090500.xls\";DBQ=/home/op/data/20070315090500.xls");
}

TEST(SpreadsheetSql, ProposedNameIsTheLocalTimeInEighteenCharacters) {
    std::tm time{};
    time.tm_year = 2007 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 15;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 0;
    EXPECT_EQ(ProposedSpreadsheetName(time), "20070315090500.xls");

    time = std::tm{};
    time.tm_year = 1999 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 31;
    time.tm_hour = 23;
    time.tm_min = 59;
    time.tm_sec = 59;
    EXPECT_EQ(ProposedSpreadsheetName(time), "19991231235959.xls");
}

}  // namespace
}  // namespace velanto
