/* iconv for FreeXL on Windows, where mingw-w64 brings none: conversions to UTF-8 from the code
   pages that a workbook may name, over the system's own converters (export/iconv_win32.cpp).
   FreeXL's Windows build includes this header as <iconv.h>. It is C, for FreeXL's sake. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* iconv_t;

/* A converter from the encoding `from` ("CP1252", "UTF-16LE", "ASCII", "MacRoman", ...) to `to`,
   which must be "UTF-8"; (iconv_t)-1 with errno EINVAL for one that Windows cannot convert. */
iconv_t iconv_open(const char* to, const char* from);

/* Converts all of the `*inLeft` bytes at `*in` or none: advances both buffers and returns 0, or
   returns (size_t)-1 with errno EILSEQ (a byte sequence the code page lacks) or E2BIG (the output
   does not fit). A null `in` only resets the converter, which keeps no state. */
size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft);

int iconv_close(iconv_t converter);

#ifdef __cplusplus
}
#endif
