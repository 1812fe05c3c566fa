#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dump/detector_dump.h"
#include "dump/record_table.h"
#include "store/kept_record.h"
#include "store/store_address.h"
#include "store/store_connection.h"
#include "store/store_error.h"

namespace velanto {

// Where a download came from and what it brought besides its rows.
struct DownloadOrigin {
    std::string source;                 // "COM1 (/dev/ttyUSB0)", or a file's path
    std::string programVersion;         // of the program that imported it
    std::optional<DetectorDump> image;  // the raw image, when there is one
};

// Which records a search or an export covers; an empty field does not narrow it.
struct RecordFilter {
    std::optional<std::string> from;  // ISO 8601 dates, both included
    std::optional<std::string> to;
    std::optional<std::int64_t> detector;
    std::optional<std::int64_t> program;
    std::optional<std::string> verdict;
};

// A kept record with the name the lab gave its program (empty without one).
struct ListedRecord {
    KeptRecord record;
    std::string programName;
    std::int64_t key = 0;  // its row in the store, as RecordSelection and the charts name it
};

// A download that brought records a filter covers, as a report names it.
struct CoveredDownload {
    std::int64_t id = 0;
    std::string importedAt;                  // UTC, "YYYY-MM-DDThh:mm:ssZ"
    std::string source;                      // as DownloadOrigin's
    std::optional<std::string> imageSha256;  // hex; nothing for a file import, which keeps no image
};

// The records a filter covers, in list order, as row keys to fetch a screenful at a time, with their tally.
struct RecordSelection {
    std::vector<std::int64_t> keys;
    std::size_t caution = 0;
    std::size_t failed = 0;
    std::size_t notCalendar = 0;  // with a date or time that is no calendar value
};

// The records a filter covers, read a batch at a time, so that a window shows the first ones at once.
// Reads from its store, which must outlive it and take no import while it is open.
class RecordCursor {
public:
    // Adds the next `rows` records at most to `selection`; false once the last one is in.
    bool Read(std::size_t rows, RecordSelection& selection);

private:
    friend class RecordStore;
    explicit RecordCursor(std::unique_ptr<StoreStatement> query) : m_query(std::move(query)) {}
    std::unique_ptr<StoreStatement> m_query;
    bool m_done = false;
};

// A test program as the lab sees it: its number, the name it gave it, and how many records it has.
struct ProgramTally {
    std::int64_t program = 0;
    std::string name;  // the name for every detector, else one detector's, else empty
    std::size_t records = 0;
};

struct ImportCounts {
    std::size_t added = 0;
    std::size_t alreadyKept = 0;
    std::size_t notCalendar = 0;  // added with a date or time that is no calendar value, kept as text
};

class SqlDialect;

// Every result a lab has downloaded, each kept once, in one SQLite file or in a database on a server that
// several computers share. Append-only: an import adds downloads and records and never changes what another
// import added.
class RecordStore {
public:
    using Access = StoreAccess;
    static constexpr int kSchemaVersion = 3;

    // Opens the records database at `address`; with ReadWrite, one is made when the file is absent or empty
    // or the server's database holds no table, and an older one is brought up to this version. Throws
    // StoreError, leaving the database as it was, when it is no records database or one of a newer version.
    explicit RecordStore(const StoreAddress& address, Access access = Access::ReadWrite);

    // Keeps the records of `rows` that are not kept yet, with the download they came in, in one
    // transaction: a row that is no result adds nothing of the download (StoreError naming the row), and a
    // download that brings no new record adds nothing at all.
    ImportCounts Import(const DownloadOrigin& origin, const RecordTable& rows);
    // Names test program `program` of `detector`, or of every detector without a name of its own.
    void NameProgram(std::int64_t program, std::string_view name, std::optional<std::int64_t> detector = {});
    std::size_t RecordCount();
    std::size_t DownloadCount();
    // The records `filter` covers, by date and time, then detector and test.
    void ForEachRecord(const RecordFilter& filter, const std::function<void(const ListedRecord&)>& take);
    // The keys of the records `filter` covers, in the order ForEachRecord gives them.
    RecordSelection Select(const RecordFilter& filter);
    RecordCursor OpenSelection(const RecordFilter& filter);
    // The records of `keys`, in their order.
    std::vector<ListedRecord> RecordsOf(std::span<const std::int64_t> keys);
    // Every program with records, by number; `detector` narrows the counts to one detector's records.
    std::vector<ProgramTally> Programs(std::optional<std::int64_t> detector = {});
    // The detectors with records, by number.
    std::vector<std::int64_t> Detectors();
    // The downloads, by id, that brought at least one of the records `filter` covers.
    std::vector<CoveredDownload> DownloadsCovering(const RecordFilter& filter);
    // The lab's title, shared by everyone who uses the store; empty when none was set.
    std::string LabTitle();
    // Throws StoreError with ImportRefusal's reason when the store may not be written.
    void SetLabTitle(std::string_view title);
    // Decodes every kept image again and checks that its records are all kept and equal, and checks the
    // SQLite file itself; what differs, one line each, or nothing when all holds.
    std::vector<std::string> Verify();
    // Why imports are refused, when they are: the store was opened for reading only, or its file is.
    std::optional<std::string> ImportRefusal() const { return m_importRefusal; }

private:
    void OpenFile(const std::filesystem::path& file);
    void OpenServer(const std::string& connection);
    void RefuseForeignDatabase();
    void BringSchemaUpToDate();

    std::unique_ptr<StoreConnection> m_database;
    const SqlDialect* m_dialect = nullptr;
    std::string m_name;  // as messages name the store: a file's path, or the server's address without password
    Access m_access;
    std::optional<std::string> m_importRefusal;
};

}  // namespace velanto
