#include "xlsdriver/workbook.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "xlsdriver/driver_error.h"
#include "xlsdriver/utf8.h"

namespace velanto {
namespace {

std::string SqlstateOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const DriverError& error) {
        return error.Sqlstate();
    }
    return "no error";
}

TEST(Utf8, ConvertsWellFormedTextAndRefusesTheRest) {
    EXPECT_EQ(Utf8ToUtf16("a\xC3\xA9\xE8\xA6\x86\xF0\x9F\x98\x80"), std::u16string(u"a\u00E9\u8986\U0001F600"));
    EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE8\xA6", "\x80", "\xFF"}) {
        EXPECT_FALSE(Utf8ToUtf16(bad)) << bad;
        EXPECT_FALSE(Utf16Length(bad));
    }
}

TEST(Workbook, NamesRowComesFirstOnlyWhenAsked) {
    Workbook withNames(true);
    withNames.CreateSheet("velanto", {"0ID", "1TESTNO"});
    withNames.Sheet("VELANTO").AppendRow({"4660", "1"});
    EXPECT_EQ(withNames.Sheets()[0].Rows(), (std::vector<std::vector<std::string>>{{"0ID", "1TESTNO"}, {"4660", "1"}}));

    Workbook withoutNames(false);
    withoutNames.CreateSheet("t", {"a"});
    EXPECT_TRUE(withoutNames.Sheets()[0].Rows().empty());
}

TEST(Workbook, TableNamesAreCheckedAndUniqueWithoutRegardToCase) {
    Workbook book(true);
    book.CreateSheet("Data", {"a"});
    EXPECT_EQ(SqlstateOf([&] { book.CreateSheet("DATA", {"b"}); }), "42S01");
    EXPECT_EQ(SqlstateOf([&] { book.Sheet("other"); }), "42S02");
    EXPECT_EQ(SqlstateOf([&] { book.DropSheet("other"); }), "42S02");
    for (const char* bad : {"", "a[1]", "x:y", "why?", "a/b", "'quoted'", "\xFF"}) {
        EXPECT_EQ(SqlstateOf([&] { book.CreateSheet(bad, {"a"}); }), "HY000") << bad;
    }
    EXPECT_EQ(SqlstateOf([&] { book.CreateSheet(std::string(32, 'n'), {"a"}); }), "HY000");
    book.CreateSheet(std::string(31, 'n'), {"a"});
    // 31 characters of three bytes each still fit: the limit counts characters.
    std::string chinese;
    for (int i = 0; i < 31; ++i)
        chinese += "\xE8\xA6\x86";
    book.CreateSheet(chinese, {"a"});
    book.DropSheet("data");
    EXPECT_EQ(book.Sheets().size(), 2u);
}

TEST(Workbook, ColumnListsWithinTheFormat) {
    Workbook book(true);
    EXPECT_EQ(SqlstateOf([&] { book.CreateSheet("t", {}); }), "HY000");
    EXPECT_EQ(SqlstateOf([&] { book.CreateSheet("t", std::vector<std::string>(257, "c")); }), "HY000");
    EXPECT_EQ(SqlstateOf([&] { book.CreateSheet("t", {"a", "b", "A"}); }), "42S21");
    EXPECT_EQ(SqlstateOf([&] { book.CreateSheet("t", {"a", ""}); }), "HY000");
    EXPECT_TRUE(book.Sheets().empty());
    std::vector<std::string> many;
    for (int i = 0; i < 256; ++i)
        many.push_back("c" + std::to_string(i));
    book.CreateSheet("t", many);
    EXPECT_EQ(book.Sheet("t").FindColumn("C255"), 255u);
    EXPECT_EQ(book.Sheet("t").FindColumn("c256"), std::string::npos);
}

TEST(Workbook, RowsBeyondTheFormatAreRefusedAndChangeNothing) {
    Workbook book(true);
    book.CreateSheet("t", {"a", "b"});
    Worksheet& sheet = book.Sheet("t");
    EXPECT_EQ(SqlstateOf([&] { sheet.AppendRow({"1"}); }), "21S01");
    EXPECT_EQ(SqlstateOf([&] { sheet.AppendRow({"1", std::string(32768, 'x')}); }), "22001");
    sheet.AppendRow({"1", std::string(32767, 'x')});
    // 16384 four-byte characters are 32768 UTF-16 units: one too many.
    std::string wide;
    for (int i = 0; i < 16384; ++i)
        wide += "\xF0\x9F\x98\x80";
    EXPECT_EQ(SqlstateOf([&] { sheet.AppendRow({wide, ""}); }), "22001");
    EXPECT_EQ(SqlstateOf([&] { sheet.AppendRow({"\xC3", ""}); }), "22018");
    EXPECT_EQ(sheet.Rows().size(), 2u);

    while (sheet.Rows().size() < kMaxSheetRows)
        sheet.AppendRow({"", ""});
    EXPECT_EQ(SqlstateOf([&] { sheet.AppendRow({"", ""}); }), "HY000");
    EXPECT_EQ(sheet.Rows().size(), kMaxSheetRows);
}

}  // namespace
}  // namespace velanto
