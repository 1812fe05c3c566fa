#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velanto {

// `text` safe inside an HTML element or a quoted attribute.
std::string HtmlEscaped(std::string_view text);
// A rate from 0 to 1 as a percentage with one decimal, "93.5%"; written the same in every locale, as a
// window's locale must not turn the report's or the clipboard's figures into other ones.
std::string PercentText(double rate);
// A figure with at most `decimals` decimals, without trailing zeros: "120", "120.5".
std::string FigureText(double value, int decimals);

}  // namespace velanto
