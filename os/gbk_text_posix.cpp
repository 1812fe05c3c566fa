#include "os/gbk_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "os/utf8_units.h"

namespace velanto {
namespace {

// An iconv conversion, closed when it goes.
class Converter {
public:
    Converter(const char* to, const char* from) : m_handle(::iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) {
            ::iconv_close(m_handle);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_handle; }

private:
    iconv_t m_handle;
};

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string ToCodePage936(std::string_view utf8) {
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    Converter converter("CP936", "UTF-8");
    if (!converter.IsOpen()) {
        return std::string(utf8.size(), '?');
    }
    std::string out(utf8.size() * 2 + 4, '\0');  // GBK never takes more bytes than UTF-8 per character
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (::iconv(converter.Get(), &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno != EILSEQ && errno != EINVAL) {
            break;
        }
        // Skip the character GBK cannot hold (or a broken sequence) and put '?' in its place.
        const std::size_t skipped = Utf8UnitLength({in, inLeft});
        in += skipped;
        inLeft -= skipped;
        *next++ = '?';
        --outLeft;
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace velanto
