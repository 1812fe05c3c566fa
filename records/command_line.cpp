#include "records/command_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "os/local_time.h"
#include "os/password_prompt.h"
#include "os/terminal.h"
#include "os/utf8_path.h"
#include "os/whole_file.h"
#include "records/detector_download.h"
#include "records/file_import.h"
#include "report/html_report.h"
#include "report/program_summary.h"
#include "store/csv_export.h"
#include "store/store_address.h"

namespace velanto {
namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr std::string_view kHelp = R"(Usage:
  velanto-records [--database PATH]                   opens the window
  velanto-records [--database PATH] import FILE...
  velanto-records [--database PATH] download --com N [--accept-damaged]
  velanto-records [--database PATH] export --csv FILE [--from DATE] [--to DATE] [--program N]
  velanto-records [--database PATH] name PROGRAM TEXT [--detector N]
  velanto-records [--database PATH] verify
  velanto-records [--database PATH] report --from DATE --to DATE [--program N]... [--detector N] -o FILE
  velanto-records [--database PATH] title [TEXT]
  velanto-records --help

Keeps every result downloaded from an ATP detector, each once, in one SQLite file
(without --database: ${XDG_DATA_HOME:-~/.local/share}/velanto/records.sqlite,
on Windows %LOCALAPPDATA%\velanto\records.sqlite), or in a store on a database
server that several computers share: PATH is then "odbc:" and an ODBC connection
string, such as odbc:DSN=records. Its password comes from the data source, else
from VELANTO_RECORDS_PASSWORD, else it is asked for at the terminal; it is
never printed.

import  keeps the records of detector images (16448 bytes), text exports
        (atpNN.txt) and workbooks (.xls) as velanto writes them; prints
        "FILE: N new, M already kept" for each. A damaged or foreign file adds
        nothing and is named with the reason; the other files still go in.
download
        downloads the detector's memory on COM port N (1 to 4) through the same
        transfer as velanto and keeps its new records; a damaged answer is kept
        only with --accept-damaged.
export  writes the records from DATE to DATE (YYYY-MM-DD, both included) of
        program N, or all, as CSV in UTF-8 with a byte-order mark.
name    names test program PROGRAM, for every detector or for detector N.
verify  decodes every kept image again and checks that its records are kept
        and equal, and checks the file; prints what differs.
report  writes the results from DATE to DATE of programs N (every program
        without --program) and of detector N, or all, as one printable HTML
        page: the summary of each program, its trend, the failures with room
        for the reviewer's signature, and the downloads they came in.
title   prints the lab's title, which heads every report, or sets it to TEXT.

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
            const ImportCounts counts = ImportFile(store, PathFromUtf8(file), VELANTO_VERSION);
            out << ImportLine(file, counts) << '\n';
        } catch (const StoreError& error) {
            err << error.what() << '\n';
            status = kFailed;
            if (error.Why() == StoreError::Cause::ConnectionLost && !arguments.Done()) {
                err << "the files after " << file << " were not imported\n";
                break;  // each would fail alike
            }
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

struct ReportOrder {
    ReportRequest request;
    std::string file;
};

ReportOrder ReportOptions(Arguments& arguments) {
    ReportOrder order;
    RecordFilter& period = order.request.period;
    while (!arguments.Done()) {
        const std::string& option = arguments.Next("");
        if (option == "--from") {
            period.from = arguments.Date("--from");
        } else if (option == "--to") {
            period.to = arguments.Date("--to");
        } else if (option == "--program") {
            order.request.programs.push_back(arguments.Number("--program"));
        } else if (option == "--detector") {
            period.detector = arguments.Number("--detector");
        } else if (option == "-o") {
            order.file = arguments.Next("-o needs a FILE");
        } else {
            throw UsageError("report does not know " + option);
        }
    }
    if (!period.from || !period.to || order.file.empty()) {
        throw UsageError("report needs --from DATE, --to DATE and -o FILE");
    }
    if (*period.from > *period.to) {
        throw UsageError("--from " + *period.from + " is after --to " + *period.to);
    }
    return order;
}

// "YYYY-MM-DD hh:mm" of this computer's clock, as a report says when it was made.
std::string LocalMinuteNow() {
    const std::tm now = LocalTimeNow();
    std::array<char, 32> text{};
    return std::string(text.data(), std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M", &now));
}

int Report(RecordStore& store, ReportOrder order, std::ostream& out, std::ostream& err) {
    order.request.title = store.LabTitle();
    order.request.programVersion = VELANTO_VERSION;
    order.request.madeAt = LocalMinuteNow();
    if (const FailureCause cause = WriteFileWhole(order.file, HtmlReportOf(store, order.request)); !cause.empty()) {
        err << cause << '\n';
        return kFailed;
    }
    std::size_t results = 0, programs = 0, failed = 0;
    for (const ProgramSummary& summary : SummarizePrograms(store, order.request.period)) {
        const auto& wanted = order.request.programs;
        if (wanted.empty() || std::find(wanted.begin(), wanted.end(), summary.program) != wanted.end()) {
            results += summary.tests;
            programs += 1;
            failed += summary.failed;
        }
    }
    out << order.file << ": " << results << " results of " << programs << " programs, " << failed << " failed\n";
    return 0;
}

int Title(RecordStore& store, Arguments& arguments, std::ostream& out) {
    if (arguments.Done()) {
        out << store.LabTitle() << '\n';
        return 0;
    }
    const std::string title = arguments.Next("");
    if (!arguments.Done()) {
        throw UsageError("title takes one TEXT: quote a title of several words");
    }
    store.SetLabTitle(title);
    return 0;
}

struct DownloadRequest {
    int port = 0;
    bool acceptDamaged = false;
};

DownloadRequest DownloadOptions(Arguments& arguments) {
    DownloadRequest request;
    while (!arguments.Done()) {
        const std::string& option = arguments.Next("");
        if (option == "--com") {
            const std::int64_t port = arguments.Number("--com");
            if (port < 1 || port > 4) {
                throw UsageError("--com takes a port from 1 to 4, not " + std::to_string(port));
            }
            request.port = static_cast<int>(port);
        } else if (option == "--accept-damaged") {
            request.acceptDamaged = true;
        } else {
            throw UsageError("download does not know " + option);
        }
    }
    if (request.port == 0) {
        throw UsageError("download needs --com N");
    }
    return request;
}

// Redraws the bytes received on one line of a terminal, and answers the question about a damaged answer
// as the command line says.
class CommandLineDownload final : public DownloadObserver {
public:
    CommandLineDownload(const DownloadRequest& request, std::ostream* progress)
        : m_request(request), m_progress(progress) {}
    ~CommandLineDownload() override {
        if (m_shownPercent) {
            *m_progress << '\n';
        }
    }
    CommandLineDownload(const CommandLineDownload&) = delete;
    CommandLineDownload& operator=(const CommandLineDownload&) = delete;

    void OnProgress(std::size_t bytes) override {
        const std::size_t percent = bytes * 100 / kDumpSize;
        if (m_progress && percent != m_shownPercent) {
            m_shownPercent = percent;
            *m_progress << "\rCOM" << m_request.port << ": " << bytes << " of " << kDumpSize << " bytes" << std::flush;
        }
    }
    bool KeepDamagedAnswer(const AnswerFindings&) override { return m_request.acceptDamaged; }

private:
    DownloadRequest m_request;
    std::ostream* m_progress;
    std::optional<std::size_t> m_shownPercent;
};

int Download(RecordStore& store, const DownloadRequest& request, std::ostream& out, std::ostream& err) {
    if (const std::optional<std::string> refusal = store.ImportRefusal()) {
        throw StoreError(*refusal + ": nothing can be imported into it");
    }
    // The progress line goes only where a person watches it, never into a file or a pipe.
    const bool onTerminal = err.rdbuf() == std::cerr.rdbuf() && StandardErrorIsTerminal();
    DownloadOutcome outcome;
    {
        CommandLineDownload observer(request, onTerminal ? &err : nullptr);
        outcome = DownloadDetectorMemory(request.port, observer, std::stop_token());
    }
    if (outcome.kind != DownloadOutcome::Kind::Image) {
        err << outcome.reason;
        if (outcome.kind == DownloadOutcome::Kind::Declined) {
            err << " Nothing was kept; --accept-damaged keeps such an answer.";
        }
        err << '\n';
        return kFailed;
    }
    const ImportCounts counts = ImportImage(store, outcome.image, DownloadSource(request.port), VELANTO_VERSION);
    out << ImportLine("COM" + std::to_string(request.port), counts) << '\n';
    return 0;
}

constexpr const char* kPasswordVariable = "VELANTO_RECORDS_PASSWORD";

// The password for a server that refused the log-in without one: the environment's, else the one the person
// at the terminal types; nothing where neither is.
std::optional<std::string> PasswordFor(const StoreAddress& address) {
    if (const char* password = std::getenv(kPasswordVariable)) {
        return std::string(password);
    }
    if (!StandardInputIsTerminal()) {
        return std::nullopt;
    }
    return AskPasswordAtTerminal("Password for " + ShownAddressOf(address) + ": ");
}

// The store at `address`; a server that wants a password is asked again with one, once.
RecordStore OpenStore(const StoreAddress& address, RecordStore::Access access) {
    try {
        return RecordStore(address, access);
    } catch (const StoreError& error) {
        if (error.Why() != StoreError::Cause::PasswordNeeded || HasPassword(address)) {
            throw;
        }
        const std::optional<std::string> password = PasswordFor(address);
        if (!password) {
            throw StoreError(error.what() + std::string(" (") + kPasswordVariable +
                                 " gives the password where no terminal can ask for it)",
                             0, error.Why());
        }
        return RecordStore(WithPassword(address, *password), access);
    }
}

// The access a command has to the store: those that only read make no store file where there is none.
RecordStore::Access AccessFor(const StoreAddress& address, bool reads) {
    if (address.OnServer()) {
        return RecordStore::Access::ReadWrite;  // every command brings an older store up to date
    }
    std::error_code ignored;
    if (!reads) {
        std::filesystem::create_directories(address.file.parent_path(), ignored);  // failing, the store says why
    }
    return reads && !std::filesystem::exists(address.file, ignored) ? RecordStore::Access::ReadOnly
                                                                    : RecordStore::Access::ReadWrite;
}

int RunCommand(const StoreAddress& database, const std::string& command, Arguments& arguments, std::ostream& out,
               std::ostream& err) {
    constexpr std::array kCommands = {"import", "export", "name", "verify", "download", "report", "title"};
    if (std::find(kCommands.begin(), kCommands.end(), command) == kCommands.end()) {
        throw UsageError("no command " + command);
    }
    if (command == "verify" && !arguments.Done()) {
        throw UsageError("verify takes no arguments");
    }
    // Its options are checked before the store is opened, let alone a download begun.
    const std::optional<DownloadRequest> download =
        command == "download" ? std::optional(DownloadOptions(arguments)) : std::nullopt;
    const std::optional<ReportOrder> report =
        command == "report" ? std::optional(ReportOptions(arguments)) : std::nullopt;
    // The commands that only read make no store where there is none; every command brings an older store up to
    // date.
    const bool reads =
        command == "export" || command == "verify" || command == "report" || (command == "title" && arguments.Done());
    RecordStore store = OpenStore(database, AccessFor(database, reads));
    if (download) {
        return Download(store, *download, out, err);
    }
    if (command == "import") {
        return Import(store, arguments, out, err);
    }
    if (command == "export") {
        return Export(store, arguments, err);
    }
    if (report) {
        return Report(store, *report, out, err);
    }
    if (command == "title") {
        return Title(store, arguments, out);
    }
    return command == "name" ? Name(store, arguments) : Verify(store, out);
}

}  // namespace

std::optional<int> RunCommandLine(std::span<const std::string> all, std::ostream& out, std::ostream& err) {
    Arguments arguments(all);
    try {
        StoreAddress database = DefaultDatabasePath();
        if (arguments.Done()) {
            return std::nullopt;
        }
        std::string first = arguments.Next("");
        if (first == "--help") {
            out << kHelp;
            return 0;
        }
        if (first == "--database") {
            database = StoreAddressOf(arguments.Next("--database needs a PATH"));
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

std::optional<StoreAddress> WindowDatabase(std::span<const std::string> arguments) {
    if (arguments.size() == 2 && arguments[0] == "--database") {
        return StoreAddressOf(arguments[1]);
    }
    return std::nullopt;
}

}  // namespace velanto
