#include "xlsdriver/sql_statement.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "xlsdriver/driver_error.h"

namespace velanto {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Values = std::vector<std::optional<std::string>>;

std::string SyntaxError(std::string_view text) {
    try {
        ParseSql(text);
    } catch (const DriverError& error) {
        EXPECT_EQ(error.Sqlstate(), "42000");
        return error.what();
    }
    return "accepted";
}

TEST(ParseSql, TheExportsStatementsCharacterForCharacter) {
    const auto create = std::get<CreateTableStatement>(ParseSql(
        "CREATE TABLE velanto (  0ID TEXT,  1TESTNO TEXT,  2Date TEXT,  3Hour TEXT,  4Prog TEXT,  5Result TEXT,"
        "  6RLU TEXT,  7Lower TEXT,  8Upper TEXT,  9remark TEXT ) "));
    EXPECT_EQ(create.table, "velanto");
    EXPECT_THAT(create.columns, ElementsAre("0ID", "1TESTNO", "2Date", "3Hour", "4Prog", "5Result", "6RLU", "7Lower",
                                            "8Upper", "9remark"));
    const auto insert = std::get<InsertStatement>(ParseSql(
        "INSERT INTO velanto ( 0ID ,  1TESTNO ,  2Date ,  3Hour ,  4Prog ,  5Result ,  6RLU ,  7Lower ,  8Upper ,"
        "  9remark ) VALUES( '4660' ,  '1' ,  '2007/03/15' ,  '09:05' ,  '3' ,  'Caution' ,  '144' ,  '100' ,"
        "  '500' ,  '' )"));
    EXPECT_EQ(insert.table, "velanto");
    ASSERT_TRUE(insert.columns);
    EXPECT_EQ(insert.columns->front(), "0ID");
    EXPECT_EQ(insert.columns->back(), "9remark");
    EXPECT_EQ(insert.values, (Values{"4660", "1", "2007/03/15", "09:05", "3", "Caution", "144", "100", "500", ""}));
}

TEST(ParseSql, NamesValuesAndKeywordsInEveryForm) {
    const auto insert = std::get<InsertStatement>(
        ParseSql("insert\tinto [my table]([a]]b], \"c\"\"d\", `e``f`, g$)values('it''s',-1.50,NULL, 2E+3);"));
    EXPECT_EQ(insert.table, "my table");
    EXPECT_THAT(*insert.columns, ElementsAre("a]b", "c\"d", "e`f", "g$"));
    EXPECT_EQ(insert.values, (Values{"it's", "-1.50", std::nullopt, "2E+3"}));

    const auto noColumns = std::get<InsertStatement>(ParseSql("INSERT INTO t VALUES ('\xE8\xA6\x86', .5)"));
    EXPECT_FALSE(noColumns.columns);
    EXPECT_EQ(noColumns.values, (Values{"\xE8\xA6\x86", ".5"}));

    const auto create = std::get<CreateTableStatement>(
        ParseSql("create table \xE8\xA1\xA8 (a varchar(255), b NUMERIC(10, 2), c double precision, d DateTime)"));
    EXPECT_EQ(create.table, "\xE8\xA1\xA8");
    EXPECT_THAT(create.columns, ElementsAre("a", "b", "c", "d"));
    EXPECT_EQ(std::get<DropTableStatement>(ParseSql(" DROP  TABLE `x y` ")).table, "x y");
}

TEST(ParseSql, ErrorsGiveThePositionAndWhatWasExpected) {
    EXPECT_THAT(SyntaxError("SELECT * FROM t"), HasSubstr("character 1: expected CREATE TABLE, INSERT INTO or DROP"));
    EXPECT_THAT(SyntaxError("CREATE TABLE t (a BLOB)"), HasSubstr("character 19: expected a column type"));
    EXPECT_THAT(SyntaxError("CREATE TABLE t ()"), HasSubstr("character 17: expected a column name"));
    EXPECT_THAT(SyntaxError("CREATE TABLE t (a TEXT"), HasSubstr("expected \")\", found the end of the statement"));
    EXPECT_THAT(SyntaxError("INSERT INTO t VALUES ('a)"), HasSubstr("character 23: expected a closing '"));
    EXPECT_THAT(SyntaxError("INSERT INTO t VALUES (a)"), HasSubstr("character 23: expected a value"));
    EXPECT_THAT(SyntaxError("INSERT INTO t VALUES (12abc)"), HasSubstr("expected a value"));
    EXPECT_THAT(SyntaxError("INSERT INTO t VALUES (?)"), HasSubstr("expected a value"));
    EXPECT_THAT(SyntaxError("INSERT INTO [] VALUES (1)"),
                HasSubstr("character 13: expected a table name that is not empty"));
    EXPECT_THAT(SyntaxError("DROP TABLE t t"), HasSubstr("character 14: expected the end"));
    EXPECT_THAT(SyntaxError("DROP TABLE t; x"), HasSubstr("expected the end"));
    EXPECT_THAT(SyntaxError(""), HasSubstr("character 1"));
    // Positions count characters: the three-byte name is one.
    EXPECT_THAT(SyntaxError("DROP TABLE \xE8\xA1\xA8 x"), HasSubstr("character 14"));
}

}  // namespace
}  // namespace velanto
