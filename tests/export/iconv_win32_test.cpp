#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "export/iconv_win32.h"

namespace {

// Converts `bytes` from `from` to UTF-8 with an output of `room` bytes; the result, or the errno of
// the failure with the input left as it was.
std::string Converted(const char* from, const std::string& bytes, std::size_t room = 64) {
    const iconv_t converter = iconv_open("UTF-8", from);
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1)) << from;
    std::string input = bytes, output(room, '\0');
    char* in = input.data();
    char* out = output.data();
    std::size_t inLeft = input.size(), outLeft = output.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1)) {
        EXPECT_EQ(inLeft, input.size()) << "a failed conversion takes no input";
        return "errno " + std::to_string(errno);
    }
    EXPECT_EQ(inLeft, 0u);
    return output.substr(0, output.size() - outLeft);
}

struct Conversion {
    const char* from;
    std::string bytes;
    std::string utf8;
};

TEST(Iconv, ConvertsTheCodePagesAWorkbookNamesToUtf8) {
    using namespace std::string_literals;
    for (const Conversion& c : {
             Conversion{"ASCII", "velanto", "velanto"},
             Conversion{"CP1252", "caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},
             Conversion{"CP936", "\xC4\xE3\xBA\xC3", "\xE4\xBD\xA0\xE5\xA5\xBD"},
             Conversion{"UTF-16LE", "h\0\xE9\0\x3D\xD8\x00\xDE"s, "h\xC3\xA9\xF0\x9F\x98\x80"},
             Conversion{"MacRoman", "\x8E", "\xC3\xA9"},
             Conversion{"CP932", "\x81", "errno " + std::to_string(EILSEQ)},
             Conversion{"UTF-16LE", "\x00\xD8"s, "errno " + std::to_string(EILSEQ)},
             Conversion{"UTF-16LE", "abc", "errno " + std::to_string(EILSEQ)},
         }) {
        EXPECT_EQ(Converted(c.from, c.bytes), c.utf8) << c.from << " " << c.bytes;
    }
    EXPECT_EQ(Converted("CP1252", "caf\xE9", 4), "errno " + std::to_string(E2BIG));
}

TEST(Iconv, RefusesWhatItCannotConvert) {
    for (const auto& [to, from] : {std::pair{"UTF-8", "KOI8-R"}, std::pair{"UTF-8", "CP"},
                                   std::pair{"UTF-8", "CP99999"}, std::pair{"UTF-16LE", "CP1252"}}) {
        errno = 0;
        EXPECT_EQ(iconv_open(to, from), reinterpret_cast<iconv_t>(-1)) << to << " from " << from;
        EXPECT_EQ(errno, EINVAL);
    }
}

}  // namespace
