#pragma once

#include <string>
#include <string_view>

namespace velanto {

// UTF-8 text in code page 936 (GBK), the files' encoding; a character GBK lacks becomes '?'.
// ASCII, which the decoder's cells always are, passes unchanged.
std::string ToCodePage936(std::string_view utf8);

}  // namespace velanto
