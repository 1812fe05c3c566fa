#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace velanto {

// A command line that does not say what the tool should do.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Walks the arguments of a small command-line tool, left to right.
class OptionParser {
public:
    OptionParser(int argc, char** argv) : m_argc(argc), m_argv(argv) {}

    // The next argument when it starts with '-', otherwise nothing (and nothing is taken).
    std::optional<std::string> NextOption();
    // The next argument, whatever it is; throws UsageError with `missing` when there is none.
    std::string NextArgument(const std::string& missing);
    // The value that follows the option just taken.
    std::string TextValue();
    // The value that follows the option just taken, as a whole number in [low, high].
    std::uint64_t NumberValue(std::uint64_t low, std::uint64_t high);

    [[noreturn]] void Reject(const std::string& option) const;
    void ExpectNoMoreArguments() const;

private:
    int m_argc;
    char** m_argv;
    int m_next = 1;
    std::string m_lastOption;
};

}  // namespace velanto
