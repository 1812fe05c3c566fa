// Arbitrary text through the driver's connection-string and SQL parsers: every input is
// either accepted or refused with a DriverError carrying a SQLSTATE (never another
// exception or a crash), and accepted statements applied to a workbook that is then
// encoded keep the format's rules (the sanitizers watch the rest).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <variant>
#include <vector>

#include "xlsdriver/connection_string.h"
#include "xlsdriver/driver_error.h"
#include "xlsdriver/sql_statement.h"
#include "xlsdriver/workbook.h"
#include "xlsdriver/xls_encoder.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "xls_parsers_fuzz: %s\n", what);
        std::abort();
    }
}

void RequireWellFormed(const velanto::DriverError& error) {
    Require(error.Sqlstate().size() == 5, "a SQLSTATE is not five characters");
    Require(std::string_view(error.what()).size() > 0, "a refusal without a message");
}

void ParseConnection(std::string_view text) {
    try {
        const velanto::ConnectionOptions options = velanto::ReadConnectionOptions(velanto::ParseConnectionString(text));
        Require(options.workbookPath.size() <= text.size(), "a value longer than the whole string");
    } catch (const velanto::DriverError& error) {
        RequireWellFormed(error);
        const bool nul = text.find('\0') != std::string_view::npos;
        Require(error.Sqlstate() == (nul ? "HY090" : "08001"), "a connection string refused with another SQLSTATE");
    }
}

// Applies the statement as the connection would, with all values in table order.
void Apply(const velanto::SqlStatement& statement, velanto::Workbook& book) {
    if (const auto* create = std::get_if<velanto::CreateTableStatement>(&statement)) {
        book.CreateSheet(create->table, create->columns);
    } else if (const auto* insert = std::get_if<velanto::InsertStatement>(&statement)) {
        std::vector<std::string> cells;
        for (const auto& value : insert->values)
            cells.push_back(value.value_or(""));
        book.Sheet(insert->table).AppendRow(std::move(cells));
    } else {
        book.DropSheet(std::get<velanto::DropTableStatement>(statement).table);
    }
}

void ParseStatements(std::string_view text) {
    velanto::Workbook book(true);
    // Each line is one statement, so one input can build a table and fill it.
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        try {
            Apply(velanto::ParseSql(text.substr(0, end)), book);
        } catch (const velanto::DriverError& error) {
            RequireWellFormed(error);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    const velanto::ByteBuffer stream = velanto::EncodeWorkbookStream(book);
    Require(stream.size() >= 4 && stream[0] == 0x09 && stream[1] == 0x08, "the stream does not begin with BOF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ParseConnection(text);
    ParseStatements(text);
    return 0;
}
