#include "store/store_address.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "os/utf8_path.h"

namespace velanto {
namespace {

constexpr std::string_view kServerPrefix = "odbc:";

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The attributes of an ODBC connection string, each as written ("KEY=value" or "KEY={value}"). A value in
// braces may hold ';', and '}' doubled.
std::vector<std::string_view> AttributesOf(std::string_view connection) {
    std::vector<std::string_view> attributes;
    std::size_t at = 0;
    while (at < connection.size()) {
        const std::size_t start = at;
        const std::size_t equals = connection.find('=', at);
        at = equals == std::string_view::npos ? connection.size() : equals + 1;
        while (at < connection.size() && (connection[at] == ' ' || connection[at] == '\t')) {
            ++at;
        }
        if (at < connection.size() && connection[at] == '{') {
            for (++at; at < connection.size(); ++at) {
                if (connection[at] == '}') {
                    if (at + 1 < connection.size() && connection[at + 1] == '}') {
                        ++at;
                        continue;
                    }
                    ++at;
                    break;
                }
            }
        }
        at = std::min(connection.find(';', at), connection.size());
        if (const std::string_view attribute = Trimmed(connection.substr(start, at - start)); !attribute.empty()) {
            attributes.push_back(attribute);
        }
        ++at;
    }
    return attributes;
}

bool IsPassword(std::string_view attribute) {
    const std::string_view key = Trimmed(attribute.substr(0, attribute.find('=')));
    return SameLetters(key, "PWD") || SameLetters(key, "Password");
}

// `attributes` but those that give a password, joined again.
std::string WithoutPassword(std::string_view connection) {
    std::string kept;
    for (const std::string_view attribute : AttributesOf(connection)) {
        if (!IsPassword(attribute)) {
            kept += kept.empty() ? "" : ";";
            kept += attribute;
        }
    }
    return kept;
}

}  // namespace

StoreAddress StoreAddressOf(std::string_view text) {
    if (text.size() >= kServerPrefix.size() && SameLetters(text.substr(0, kServerPrefix.size()), kServerPrefix)) {
        StoreAddress address;
        address.connection = std::string(text.substr(kServerPrefix.size()));
        return address;
    }
    return StoreAddress(PathFromUtf8(text));
}

std::string ShownAddressOf(const StoreAddress& address) {
    if (!address.OnServer()) {
        return Utf8Of(address.file);
    }
    return std::string(kServerPrefix) + WithoutPassword(*address.connection);
}

bool HasPassword(const StoreAddress& address) {
    if (!address.OnServer()) {
        return false;
    }
    const std::vector<std::string_view> attributes = AttributesOf(*address.connection);
    return std::any_of(attributes.begin(), attributes.end(), IsPassword);
}

StoreAddress WithPassword(StoreAddress address, std::string_view password) {
    if (!address.OnServer()) {
        return address;
    }
    std::string connection = WithoutPassword(*address.connection);
    connection += connection.empty() ? "PWD={" : ";PWD={";
    for (const char c : password) {
        connection += c;
        if (c == '}') {
            connection += '}';  // a brace closes the value unless doubled
        }
    }
    address.connection = connection + "}";
    return address;
}

}  // namespace velanto
