#include "os/gbk_text.h"

#include <gtest/gtest.h>

namespace velanto {
namespace {

TEST(CodePage936, AsciiPassesAndChineseBecomesGbkAndTheRestAQuestionMark) {
    EXPECT_EQ(ToCodePage936("Pass 144"), "Pass 144");
    EXPECT_EQ(ToCodePage936("\xE8\xA6\x86\xE7\x9B\x96\xEF\xBC\x81"), "\xB8\xB2\xB8\xC7\xA3\xA1");  // 覆盖！
    EXPECT_EQ(ToCodePage936("a\xF0\x9F\x98\x80z"), "a?z");
}

// Every system's conversion gives the same: one '?' for each character GBK lacks and for each
// broken sequence, and nothing of the characters around them lost.
TEST(CodePage936, EachLackingCharacterAndEachBrokenSequenceIsOneQuestionMark) {
    const struct {
        const char* utf8;
        const char* gbk;
    } cases[] = {
        {"a\xE8\xA6z", "a?z"},                               // a character cut short
        {"\xE8\xA6\xE8\xA6\x86", "?\xB8\xB2"},               // cut short, then whole
        {"x\xE8", "x?"},                                     // cut at the end
        {"\x80\x80\x80x", "?x"},                             // stray continuation bytes
        {"\xC0\x80", "?"},                                   // an overlong NUL
        {"\xED\xA0\x80", "?"},                               // a UTF-16 surrogate
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80", "??"},          // two characters GBK lacks
        {"\xF0\x9F\x98\x80\x80\xE7\x9B\x96", "??\xB8\xC7"},  // a lacking one, a stray byte, 盖
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToCodePage936(c.utf8), c.gbk) << ::testing::PrintToString(std::string(c.utf8));
    }
}

}  // namespace
}  // namespace velanto
