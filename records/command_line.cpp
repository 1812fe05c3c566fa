#include "records/command_line.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "os/path_folders.h"
#include "os/whole_file.h"
#include "records/file_import.h"
#include "store/csv_export.h"

namespace velanto {
namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr std::string_view kHelp = R"(Usage:
  velanto-records [--database PATH]                   opens the window
  velanto-records [--database PATH] import FILE...
  velanto-records [--database PATH] export --csv FILE [--from DATE] [--to DATE] [--program N]
  velanto-records [--database PATH] name PROGRAM TEXT [--detector N]
  velanto-records [--database PATH] verify
  velanto-records --help

Keeps every result downloaded from an ATP detector, each once, in one SQLite file
(without --database: ${XDG_DATA_HOME:-~/.local/share}/velanto/records.sqlite).

import  keeps the records of detector images (16448 bytes), text exports
        (atpNN.txt) and workbooks (.xls) as velanto writes them; prints
        "FILE: N new, M already kept" for each. A damaged or foreign file adds
        nothing and is named with the reason; the other files still go in.
export  writes the records from DATE to DATE (YYYY-MM-DD, both included) of
        program N, or all, as CSV in UTF-8 with a byte-order mark.
name    names test program PROGRAM, for every detector or for detector N.
verify  decodes every kept image again and checks that its records are kept
        and equal, and checks the file; prints what differs.

Exit status: 0 on success, 1 when a file or the store failed, 2 for a wrong
command line.
)";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments of one command, taken left to right.
class Arguments {
public:
    explicit Arguments(std::span<const std::string> all) : m_all(all) {}
    bool Done() const { return m_next == m_all.size(); }
    const std::string& Next(const std::string& missing) {
        if (Done()) {
            throw UsageError(missing);
        }
        return m_all[m_next++];
    }
    std::int64_t Number(const std::string& what) {
        const std::string& text = Next(what + " is missing");
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < 0) {
            throw UsageError(what + " \"" + text + "\" is not a whole number");
        }
        return value;
    }
    std::string Date(const std::string& what) {
        const std::string& text = Next(what + " is missing");
        const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-';
        if (!shaped || text.find_first_not_of("0123456789-") != std::string::npos) {
            throw UsageError(what + " \"" + text + "\" is no date of the form YYYY-MM-DD");
        }
        return text;
    }

private:
    std::span<const std::string> m_all;
    std::size_t m_next = 0;
};

int Import(RecordStore& store, Arguments& arguments, std::ostream& out, std::ostream& err) {
    int status = 0;
    do {
        const std::string& file = arguments.Next("import needs at least one FILE");
        try {
            const ImportCounts counts = ImportFile(store, file, VELANTO_VERSION);
            out << file << ": " << counts.added << " new, " << counts.alreadyKept << " already kept\n";
        } catch (const StoreError& error) {
            err << error.what() << '\n';
            status = kFailed;
        }
    } while (!arguments.Done());
    return status;
}

int Export(RecordStore& store, Arguments& arguments, std::ostream& err) {
    std::optional<std::string> file;
    RecordFilter filter;
    while (!arguments.Done()) {
        const std::string& option = arguments.Next("");
        if (option == "--csv") {
            file = arguments.Next("--csv needs a FILE");
        } else if (option == "--from") {
            filter.from = arguments.Date("--from");
        } else if (option == "--to") {
            filter.to = arguments.Date("--to");
        } else if (option == "--program") {
            filter.program = arguments.Number("--program");
        } else {
            throw UsageError("export does not know " + option);
        }
    }
    if (!file) {
        throw UsageError("export needs --csv FILE");
    }
    if (const FailureCause cause = WriteFileWhole(*file, CsvOf(store, filter)); !cause.empty()) {
        err << cause << '\n';
        return kFailed;
    }
    return 0;
}

int Name(RecordStore& store, Arguments& arguments) {
    const std::int64_t program = arguments.Number("PROGRAM");
    const std::string text = arguments.Next("name needs a TEXT");
    std::optional<std::int64_t> detector;
    if (!arguments.Done()) {
        if (arguments.Next("") != "--detector") {
            throw UsageError("name takes only --detector N after its TEXT");
        }
        detector = arguments.Number("--detector");
    }
    store.NameProgram(program, text, detector);
    return 0;
}

int Verify(RecordStore& store, std::ostream& out) {
    const std::vector<std::string> differences = store.Verify();
    for (const std::string& difference : differences) {
        out << difference << '\n';
    }
    if (differences.empty()) {
        out << store.RecordCount() << " records of " << store.DownloadCount() << " downloads: all hold\n";
    }
    return differences.empty() ? 0 : kFailed;
}

int RunCommand(const std::filesystem::path& database, const std::string& command, Arguments& arguments,
               std::ostream& out, std::ostream& err) {
    if (command != "import" && command != "export" && command != "name" && command != "verify") {
        throw UsageError("no command " + command);
    }
    if (command == "verify" && !arguments.Done()) {
        throw UsageError("verify takes no arguments");
    }
    // export and verify make no store where there is none; every command brings an older store up to date.
    const bool reads = command == "export" || command == "verify";
    std::error_code ignored;
    if (!reads) {
        CreateFolderChain(FolderOf(database.string()));
    }
    RecordStore store(database, reads && !std::filesystem::exists(database, ignored) ? RecordStore::Access::ReadOnly
                                                                                     : RecordStore::Access::ReadWrite);
    if (command == "import") {
        return Import(store, arguments, out, err);
    }
    if (command == "export") {
        return Export(store, arguments, err);
    }
    return command == "name" ? Name(store, arguments) : Verify(store, out);
}

}  // namespace

std::filesystem::path DefaultDatabasePath() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path base = dataHome && *dataHome
                                           ? std::filesystem::path(dataHome)
                                           : std::filesystem::path(home ? home : ".") / ".local/share";
    return base / "velanto" / "records.sqlite";
}

std::optional<int> RunCommandLine(std::span<const std::string> all, std::ostream& out, std::ostream& err) {
    Arguments arguments(all);
    try {
        std::filesystem::path database = DefaultDatabasePath();
        if (arguments.Done()) {
            return std::nullopt;
        }
        std::string first = arguments.Next("");
        if (first == "--help") {
            out << kHelp;
            return 0;
        }
        if (first == "--database") {
            database = arguments.Next("--database needs a PATH");
            if (arguments.Done()) {
                return std::nullopt;
            }
            first = arguments.Next("");
        }
        return RunCommand(database, first, arguments, out, err);
    } catch (const UsageError& error) {
        err << "velanto-records: " << error.what() << " (velanto-records --help tells how)\n";
        return kUsage;
    } catch (const StoreError& error) {
        err << "velanto-records: " << error.what() << '\n';
        return kFailed;
    }
}

}  // namespace velanto
