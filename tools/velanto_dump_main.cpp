// velanto-dump: makes and decodes detector dump images.

#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dump/detector_dump.h"
#include "tools/dump_file.h"
#include "tools/dump_generator.h"
#include "tools/option_parser.h"

namespace {

constexpr int kUsageError = 2;

constexpr std::string_view kHelp = R"(Usage:
  velanto-dump generate [--records N] [--id N] [--seed S] [--first-day D] -o FILE
  velanto-dump decode FILE
  velanto-dump --help

generate  writes a plausible 16448-byte detector dump: limits for programs
          0 to 101 and N records (0 to 2000, default 2000) with dates, times,
          programs and RLU values that give every verdict. --id sets the
          identifier shown in the first column (default 4660), --seed the
          random seed (default 1), --first-day the working day of the first
          record, counted from 2007-03-01 at 28 a month (default 0); the same
          options always give the same bytes.
decode    prints the rows that velanto shows for the dump in FILE, one line a
          row, the ten cells separated by tab characters (the tenth, the
          remark, is always empty). FILE must be exactly 16448 bytes.

Exit status: 0 on success, 1 when a file cannot be read or written,
2 when the command line or the dump's size is wrong.
)";

int Generate(velanto::OptionParser& options) {
    velanto::DumpRecipe recipe;
    std::optional<std::string> output;
    while (auto option = options.NextOption()) {
        if (*option == "--records") {
            recipe.records = options.NumberValue(0, velanto::kMaxRecords);
        } else if (*option == "--id") {
            recipe.identifier = static_cast<std::uint16_t>(options.NumberValue(0, 65535));
        } else if (*option == "--seed") {
            recipe.seed = static_cast<std::uint32_t>(options.NumberValue(0, 4294967295u));
        } else if (*option == "--first-day") {
            recipe.firstDay = static_cast<std::uint32_t>(options.NumberValue(0, 100000));
        } else if (*option == "-o") {
            output = options.TextValue();
        } else {
            options.Reject(*option);
        }
    }
    options.ExpectNoMoreArguments();
    if (!output) {
        throw velanto::UsageError("generate needs -o FILE");
    }
    velanto::SaveDumpFile(*output, velanto::GenerateDump(recipe));
    return 0;
}

int Decode(velanto::OptionParser& options) {
    const std::string path = options.NextArgument("decode needs a FILE");
    options.ExpectNoMoreArguments();
    velanto::DetectorDump image;
    try {
        image = velanto::LoadDumpFile(path);
    } catch (const velanto::DumpSizeError& error) {
        std::cerr << "velanto-dump: " << error.what() << '\n';
        return kUsageError;
    }
    velanto::MemoryRecordTable table;
    velanto::DecodeDump(image, table);
    std::string line;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        line.clear();
        for (std::size_t column = 0; column < table.ColumnCount(); ++column) {
            if (column > 0) {
                line += '\t';
            }
            line += table.CellRef(row, column);
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    velanto::OptionParser options(argc, argv);
    try {
        const std::string command = options.NextArgument("no command given");
        if (command == "--help" || command == "-h") {
            std::cout << kHelp;
            return 0;
        }
        if (command == "generate") {
            return Generate(options);
        }
        if (command == "decode") {
            return Decode(options);
        }
        throw velanto::UsageError("unknown command '" + command + "'");
    } catch (const velanto::UsageError& error) {
        std::cerr << "velanto-dump: " << error.what() << "\nTry 'velanto-dump --help'.\n";
        return kUsageError;
    } catch (const std::exception& error) {
        std::cerr << "velanto-dump: " << error.what() << '\n';
        return 1;
    }
}
