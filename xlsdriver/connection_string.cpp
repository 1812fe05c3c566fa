#include "xlsdriver/connection_string.h"

#include <algorithm>
#include <cctype>

#include "xlsdriver/driver_error.h"

namespace velanto {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

[[noreturn]] void Malformed(std::size_t position, const std::string& what) {
    throw DriverError("08001",
                      "malformed connection string at character " + std::to_string(position + 1) + ": " + what);
}

// Reads one value starting at `pos` (after '=') up to and including its ';'.
std::string ReadValue(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    if (pos < text.size() && (text[pos] == '{' || text[pos] == '"')) {
        const char close = text[pos] == '{' ? '}' : '"';
        std::string value;
        std::size_t end = pos + 1;
        for (;; ++end) {
            if (end == text.size()) {
                Malformed(pos, std::string("no closing ") + close);
            }
            if (text[end] == close) {
                // Inside braces "}}" stands for one '}'.
                if (close != '}' || end + 1 == text.size() || text[end + 1] != '}') {
                    break;
                }
                ++end;
            }
            value += text[end];
        }
        pos = end + 1;
        while (pos < text.size() && IsSpace(text[pos]))
            ++pos;
        if (pos < text.size() && text[pos] != ';') {
            Malformed(pos, std::string("';' expected after ") + close);
        }
        ++pos;
        return value;
    }
    const std::size_t end = std::min(text.find(';', pos), text.size());
    std::string value(Trim(text.substr(pos, end - pos)));
    pos = end + 1;
    return value == "''" ? std::string() : value;
}

bool ReadYesNo(const ConnectionAttributes& attributes, const std::string& key, bool fallback) {
    const auto found = attributes.find(key);
    if (found == attributes.end() || found->second.empty()) {
        return fallback;
    }
    const std::string value = Upper(found->second);
    if (value == "1" || value == "TRUE" || value == "YES") {
        return true;
    }
    if (value == "0" || value == "FALSE" || value == "NO") {
        return false;
    }
    throw DriverError("08001", key + "=" + found->second + " is neither 1 (TRUE, YES) nor 0 (FALSE, NO)");
}

std::string Lookup(const ConnectionAttributes& attributes, const std::string& key) {
    const auto found = attributes.find(key);
    return found == attributes.end() ? std::string() : found->second;
}

}  // namespace

ConnectionAttributes ParseConnectionString(std::string_view text) {
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        // A value would end there for every file call: DBQ would name another file.
        throw DriverError("HY090", "the connection string holds a NUL character at character " +
                                       std::to_string(nul + 1) + " of the " + std::to_string(text.size()) + " given");
    }
    ConnectionAttributes attributes;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(';', pos), text.size());
        const std::size_t equals = text.find('=', pos);
        if (equals >= end) {
            if (!Trim(text.substr(pos, end - pos)).empty()) {
                Malformed(pos, "'=' expected after the keyword");
            }
            pos = end + 1;  // an empty attribute, as after a trailing ';'
            continue;
        }
        const std::string key = Upper(Trim(text.substr(pos, equals - pos)));
        if (key.empty()) {
            Malformed(pos, "a keyword is missing before '='");
        }
        pos = equals + 1;
        std::string value = ReadValue(text, pos);
        attributes.try_emplace(key, std::move(value));
    }
    return attributes;
}

ConnectionOptions ReadConnectionOptions(const ConnectionAttributes& attributes) {
    ConnectionOptions options;
    options.dsn = Lookup(attributes, "DSN");
    options.workbookPath = Lookup(attributes, "DBQ");
    options.createPath = Lookup(attributes, "CREATE_DB");
    options.firstRowHasNames = ReadYesNo(attributes, "FIRSTROWHASNAMES", true);
    options.readOnly = ReadYesNo(attributes, "READONLY", false);
    return options;
}

}  // namespace velanto
