#include "tools/option_parser.h"

#include <charconv>

namespace velanto {

std::optional<std::string> OptionParser::NextOption() {
    if (m_next >= m_argc || m_argv[m_next][0] != '-') {
        return std::nullopt;
    }
    m_lastOption = m_argv[m_next++];
    return m_lastOption;
}

std::string OptionParser::NextArgument(const std::string& missing) {
    if (m_next >= m_argc) {
        throw UsageError(missing);
    }
    return m_argv[m_next++];
}

std::string OptionParser::TextValue() { return NextArgument(m_lastOption + " needs a value"); }

std::uint64_t OptionParser::NumberValue(std::uint64_t low, std::uint64_t high) {
    const std::string text = TextValue();
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        throw UsageError(m_lastOption + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    }
    return value;
}

void OptionParser::Reject(const std::string& option) const { throw UsageError("unknown option '" + option + "'"); }

void OptionParser::ExpectNoMoreArguments() const {
    if (m_next < m_argc) {
        throw UsageError(std::string("unexpected argument '") + m_argv[m_next] + "'");
    }
}

}  // namespace velanto
