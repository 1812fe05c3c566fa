#pragma once

#include <map>
#include <string>
#include <string_view>

namespace velanto {

// Connection-string attributes by upper-case keyword; the first of repeated keywords wins.
using ConnectionAttributes = std::map<std::string, std::string>;

// Splits "KEY=value;KEY={value};KEY=\"value\"" into attributes. White space around keywords
// and plain values is dropped; braces and double quotes are removed from a value and keep
// everything inside it exactly, ';' and spaces included; inside braces "}}" is one '}'. A
// value of two apostrophes ('') is empty. Throws DriverError: 08001 naming the position of a
// malformed attribute, HY090 for a NUL character in the text.
ConnectionAttributes ParseConnectionString(std::string_view text);

// What the driver takes from the attributes; the other attributes are ignored.
struct ConnectionOptions {
    std::string dsn;
    std::string workbookPath;  // DBQ
    std::string createPath;    // CREATE_DB
    bool firstRowHasNames = true;
    bool readOnly = false;
};

// Throws DriverError (08001) for a yes/no attribute that is neither.
ConnectionOptions ReadConnectionOptions(const ConnectionAttributes& attributes);

}  // namespace velanto
