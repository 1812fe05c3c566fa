#include "store/record_store.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <limits>
#include <optional>
#include <span>
#include <tuple>
#include <vector>

#include "os/utf8_path.h"
#include "store/kept_record.h"
#include "store/odbc_connection.h"
#include "store/sha256.h"
#include "store/sql_dialect.h"
#include "store/sqlite_database.h"

namespace velanto {
namespace {

// The detector number of a program name that holds for every detector.
constexpr std::int64_t kEveryDetector = -1;

// The current schema, made in one go in a new store, with the dialect's types for {key}, {integer}, {text}
// and {blob}.
constexpr std::string_view kCurrentTables = R"(
CREATE TABLE downloads (
    id {key},
    imported_at {text} NOT NULL,
    source {text} NOT NULL,
    program_version {text} NOT NULL,
    image {blob},
    image_sha256 {text}
);
CREATE TABLE records (
    id {key},
    detector {integer} NOT NULL,
    test {integer} NOT NULL,
    date {text} NOT NULL,
    time {text} NOT NULL,
    program {integer} NOT NULL,
    rlu {integer} NOT NULL,
    lower {integer} NOT NULL,
    upper {integer} NOT NULL,
    verdict {text} NOT NULL CHECK (verdict IN ('Pass', 'Caution', 'Failed')),
    calendar_valid {integer} NOT NULL,
    download_id {integer} NOT NULL REFERENCES downloads (id),
    UNIQUE (date, time, detector, test, program, rlu)
);
CREATE INDEX records_by_program
    ON records (program, date, time, detector, test, rlu, lower, upper, verdict, calendar_valid);
CREATE INDEX records_by_detector ON records (detector);
CREATE TABLE program_names (
    detector {integer} NOT NULL,
    program {integer} NOT NULL,
    name {text} NOT NULL,
    PRIMARY KEY (detector, program)
);
CREATE TABLE settings (
    name {text} PRIMARY KEY,
    value {text} NOT NULL
);
)";

// kCurrentTables in the types of `types`.
std::string CurrentTablesIn(const ColumnTypes& types) {
    const std::array<std::pair<std::string_view, std::string_view>, 4> kPlaces = {
        {{"{key}", types.key}, {"{integer}", types.integer}, {"{text}", types.text}, {"{blob}", types.blob}}};
    std::string sql(kCurrentTables);
    for (const auto& [place, type] : kPlaces) {
        for (std::size_t at = sql.find(place); at != std::string::npos; at = sql.find(place, at + type.size())) {
            sql.replace(at, place.size(), type);
        }
    }
    return sql;
}

// SQLite files of an older version are brought up to date step by step.
// Version 1: downloads with their images, records, program names.
constexpr std::string_view kFirstTables = R"(
CREATE TABLE downloads (
    id INTEGER PRIMARY KEY,
    imported_at TEXT NOT NULL,
    source TEXT NOT NULL,
    program_version TEXT NOT NULL,
    image BLOB,
    image_sha256 TEXT
);
CREATE TABLE records (
    id INTEGER PRIMARY KEY,
    detector INTEGER NOT NULL,
    test INTEGER NOT NULL,
    date TEXT NOT NULL,
    time TEXT NOT NULL,
    program INTEGER NOT NULL,
    rlu INTEGER NOT NULL,
    lower INTEGER NOT NULL,
    upper INTEGER NOT NULL,
    verdict TEXT NOT NULL CHECK (verdict IN ('Pass', 'Caution', 'Failed')),
    calendar_valid INTEGER NOT NULL,
    download_id INTEGER NOT NULL REFERENCES downloads (id),
    UNIQUE (detector, test, date, time, program, rlu)
);
CREATE INDEX records_by_program ON records (program, date, time);
CREATE INDEX records_by_date ON records (date, time);
CREATE TABLE program_names (
    detector INTEGER NOT NULL,
    program INTEGER NOT NULL,
    name TEXT NOT NULL,
    PRIMARY KEY (detector, program)
);
)";

// Version 2: the identity's index begins with the date. It gives the lists their order, and takes a lab's new
// records at its end, where version 1's, beginning with the detector and the test, took them all over.
// SQLite changes a table's constraints only by making the table anew (foreign keys are not yet enforced here).
constexpr std::string_view kIdentityInDateOrder = R"(
CREATE TABLE records_in_date_order (
    id INTEGER PRIMARY KEY,
    detector INTEGER NOT NULL,
    test INTEGER NOT NULL,
    date TEXT NOT NULL,
    time TEXT NOT NULL,
    program INTEGER NOT NULL,
    rlu INTEGER NOT NULL,
    lower INTEGER NOT NULL,
    upper INTEGER NOT NULL,
    verdict TEXT NOT NULL CHECK (verdict IN ('Pass', 'Caution', 'Failed')),
    calendar_valid INTEGER NOT NULL,
    download_id INTEGER NOT NULL REFERENCES downloads (id),
    UNIQUE (date, time, detector, test, program, rlu)
);
INSERT INTO records_in_date_order
    SELECT id, detector, test, date, time, program, rlu, lower, upper, verdict, calendar_valid, download_id
    FROM records ORDER BY id;
DROP TABLE records;
ALTER TABLE records_in_date_order RENAME TO records;
-- A program's records are found and listed from this index alone, without a look into the table for each.
CREATE INDEX records_by_program
    ON records (program, date, time, detector, test, rlu, lower, upper, verdict, calendar_valid);
-- The detectors a store holds, found without reading every record.
CREATE INDEX records_by_detector ON records (detector);
)";

// Version 3: settings the lab shares through the store, such as its title on reports.
constexpr std::string_view kSettings = R"(
CREATE TABLE settings (
    name TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
)";

// The steps from each version to the next; step k makes version k + 1.
constexpr std::array<std::string_view, RecordStore::kSchemaVersion> kMigrations = {kFirstTables, kIdentityInDateOrder,
                                                                                   kSettings};

constexpr std::string_view kLabTitleSetting = "lab title";

constexpr std::string_view kListedColumns =
    "SELECT r.detector, r.test, r.date, r.time, r.program, r.rlu, r.lower, r.upper, r.verdict, r.calendar_valid, "
    "coalesce(own.name, every.name, ''), r.id FROM records r "
    "LEFT JOIN program_names own ON own.detector = r.detector AND own.program = r.program "
    "LEFT JOIN program_names every ON every.detector = -1 AND every.program = r.program";

KeptRecord KeptRecordAt(const StoreStatement& row) {
    return {row.Number(0), row.Number(1), row.Text(2),   row.Text(3), row.Number(4),
            row.Number(5), row.Number(6), row.Number(7), row.Text(8), row.Number(9) != 0};
}

// The WHERE clause of the conditions `filter` sets, and only those, so that SQLite can take an index for them;
// BindConditions binds their values.
std::string ConditionsOf(const RecordFilter& filter) {
    std::string where;
    const auto add = [&where](bool set, std::string_view condition) {
        if (set) {
            where += where.empty() ? " WHERE " : " AND ";
            where += condition;
        }
    };
    add(filter.from.has_value(), "r.date >= ?");
    add(filter.to.has_value(), "r.date <= ?");
    add(filter.detector.has_value(), "r.detector = ?");
    add(filter.program.has_value(), "r.program = ?");
    add(filter.verdict.has_value(), "r.verdict = ?");
    return where;
}

// Binds the values of ConditionsOf's parameters, in their order.
void BindConditions(StoreStatement& query, const RecordFilter& filter) {
    int at = 0;
    if (filter.from) {
        query.Bind(++at, *filter.from);
    }
    if (filter.to) {
        query.Bind(++at, *filter.to);
    }
    if (filter.detector) {
        query.Bind(++at, *filter.detector);
    }
    if (filter.program) {
        query.Bind(++at, *filter.program);
    }
    if (filter.verdict) {
        query.Bind(++at, *filter.verdict);
    }
}

// The records an import keeps with one statement, at most.
constexpr std::size_t kRowsAStatement = 100;

// The insert of `rows` records that keeps those not kept yet: a unique key and the database's own handling of
// its conflicts, so that two programs importing the same records at once keep each once.
std::string KeepingSql(std::size_t rows) {
    std::string sql =
        "INSERT INTO records (detector, test, date, time, program, rlu, lower, upper, verdict, "
        "calendar_valid, download_id) VALUES ";
    for (std::size_t row = 0; row < rows; ++row) {
        sql += row == 0 ? "(?,?,?,?,?,?,?,?,?,?,?)" : ",(?,?,?,?,?,?,?,?,?,?,?)";
    }
    return sql + " ON CONFLICT DO NOTHING";
}

// The order of the records' unique key. Two imports at once insert their records in it, so that on a server
// neither waits for a record the other holds while holding one the other waits for.
bool ComesBefore(const KeptRecord& a, const KeptRecord& b) {
    return std::tie(a.date, a.time, a.detector, a.test, a.program, a.rlu) <
           std::tie(b.date, b.time, b.detector, b.test, b.program, b.rlu);
}

// The time now in UTC, as downloads keep it: "YYYY-MM-DDThh:mm:ssZ".
std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc));
}

// Keeps those of `records` not kept yet with one statement, `fullStatement` when there are kRowsAStatement of
// them; how many it kept.
std::size_t KeepRecords(StoreConnection& database, StoreStatement& fullStatement, std::span<const KeptRecord> records,
                        std::int64_t downloadId) {
    if (records.empty()) {
        return 0;
    }
    std::unique_ptr<StoreStatement> fewer;
    StoreStatement& keep =
        records.size() == kRowsAStatement ? fullStatement : *(fewer = database.Prepare(KeepingSql(records.size())));
    int at = 0;
    for (const KeptRecord& record : records) {
        keep.Bind(at + 1, record.detector).Bind(at + 2, record.test).Bind(at + 3, record.date);
        keep.Bind(at + 4, record.time).Bind(at + 5, record.program).Bind(at + 6, record.rlu);
        keep.Bind(at + 7, record.lower).Bind(at + 8, record.upper).Bind(at + 9, record.verdict);
        keep.Bind(at + 10, std::int64_t{record.calendarValid}).Bind(at + 11, downloadId);
        at += 11;
    }
    return static_cast<std::size_t>(keep.Run());
}

// Keeps those of `records` not kept yet: records off the calendar one at a time, so that those kept are
// counted, the others kRowsAStatement a statement, which spares SQLite most of its work for each statement.
ImportCounts KeepAll(StoreConnection& database, std::span<const KeptRecord> records, std::int64_t downloadId) {
    const std::unique_ptr<StoreStatement> fullStatement = database.Prepare(KeepingSql(kRowsAStatement));
    const auto keep = [&](std::span<const KeptRecord> some) {
        return KeepRecords(database, *fullStatement, some, downloadId);
    };
    ImportCounts counts;
    std::size_t start = 0;  // the first record not sent to the store yet
    for (std::size_t k = 0; k < records.size(); ++k) {
        if (!records[k].calendarValid) {
            counts.added += keep(records.subspan(start, k - start));
            const std::size_t added = keep(records.subspan(k, 1));
            counts.added += added;
            counts.notCalendar += added;
            start = k + 1;
        } else if (k + 1 - start == kRowsAStatement) {
            counts.added += keep(records.subspan(start, kRowsAStatement));
            start = k + 1;
        }
    }
    counts.added += keep(records.subspan(start));
    counts.alreadyKept = records.size() - counts.added;
    return counts;
}

// The query that finds the kept records of `rows` records, each of its rows numbered by the place of its
// record among them: a hundred records a round trip, where one query a record costs a round trip each on a
// server.
std::string KeptLookupSql(std::size_t rows) {
    // Typed, since a server cannot tell the types of a VALUES list of parameters from the columns they meet.
    constexpr std::string_view kRow =
        "(CAST(? AS BIGINT),CAST(? AS BIGINT),CAST(? AS BIGINT),CAST(? AS TEXT),"
        "CAST(? AS TEXT),CAST(? AS BIGINT),CAST(? AS BIGINT))";
    std::string sql = "WITH wanted (k, detector, test, date, time, program, rlu) AS (VALUES ";
    for (std::size_t row = 0; row < rows; ++row) {
        sql += row == 0 ? "" : ",";
        sql += kRow;
    }
    return sql +
           ") SELECT w.k, r.lower, r.upper, r.verdict, r.calendar_valid FROM wanted w JOIN records r"
           " ON r.date = w.date AND r.time = w.time AND r.detector = w.detector AND r.test = w.test"
           " AND r.program = w.program AND r.rlu = w.rlu";
}

// How those of `records` that are not kept as they are differ, one line each: "test N: not kept", or kept
// with other values. `fullLookup` is KeptLookupSql's query for kRowsAStatement records.
std::vector<std::string> DifferencesFromKept(StoreConnection& database, StoreStatement& fullLookup,
                                             std::span<const KeptRecord> records) {
    std::unique_ptr<StoreStatement> fewer;
    StoreStatement& lookup =
        records.size() == kRowsAStatement ? fullLookup : *(fewer = database.Prepare(KeptLookupSql(records.size())));
    int at = 0;
    for (std::size_t k = 0; k < records.size(); ++k) {
        const KeptRecord& record = records[k];
        lookup.Bind(at + 1, static_cast<std::int64_t>(k)).Bind(at + 2, record.detector).Bind(at + 3, record.test);
        lookup.Bind(at + 4, record.date).Bind(at + 5, record.time).Bind(at + 6, record.program);
        lookup.Bind(at + 7, record.rlu);
        at += 7;
    }
    std::vector<std::optional<bool>> keptAlike(records.size());  // nothing for a record not kept
    while (lookup.Step()) {
        const auto k = static_cast<std::size_t>(lookup.Number(0));
        const KeptRecord& record = records[k];
        keptAlike[k] = lookup.Number(1) == record.lower && lookup.Number(2) == record.upper &&
                       lookup.TextView(3) == record.verdict && (lookup.Number(4) != 0) == record.calendarValid;
    }
    lookup.Reset();
    std::vector<std::string> differences;
    for (std::size_t k = 0; k < records.size(); ++k) {
        if (!keptAlike[k].value_or(false)) {
            differences.push_back("test " + std::to_string(records[k].test) +
                                  (keptAlike[k] ? ": kept with other values" : ": not kept"));
        }
    }
    return differences;
}

}  // namespace

RecordStore::RecordStore(const StoreAddress& address, Access access)
    : m_name(address.OnServer() ? ShownAddressOf(address) : Utf8Of(address.file)), m_access(access) {
    if (access == Access::ReadOnly) {
        m_importRefusal = "the store is open for reading only";
    }
    address.OnServer() ? OpenServer(*address.connection) : OpenFile(address.file);
}

void RecordStore::OpenFile(const std::filesystem::path& file) {
    auto database = std::make_unique<SqliteDatabase>(file, m_access);
    SqliteDatabase& sqlite = *database;
    m_database = std::move(database);
    m_dialect = &SqliteDialect();
    if (m_access == Access::ReadWrite && sqlite3_db_readonly(sqlite.Handle(), "main") == 1) {
        m_access = Access::ReadOnly;
        m_importRefusal = m_name + " may not be written to (the file, its folder or its disk is read-only)";
    }
    // Another program's database may have pages in its WAL yet: refused, it is closed without taking them in.
    sqlite.CheckpointOnClose(false);
    RefuseForeignDatabase();
    sqlite.CheckpointOnClose(true);
    if (m_access == Access::ReadWrite) {
        sqlite.UseWriteAheadLog();
        BringSchemaUpToDate();
    }
    m_database->Execute("PRAGMA foreign_keys = ON");
}

void RecordStore::OpenServer(const std::string& connection) {
    m_database = std::make_unique<OdbcConnection>(connection, m_name);
    m_dialect = &ServerDialect();
    RefuseForeignDatabase();
    if (m_access == Access::ReadWrite) {
        BringSchemaUpToDate();
    }
}

// Reads before anything is written: a database that is no records database, or a newer one, stays untouched.
void RecordStore::RefuseForeignDatabase() {
    const StoreIdentity identity = m_dialect->IdentityOf(*m_database, m_name);
    if (!identity.empty && !identity.ours) {
        throw StoreError(m_name + " is not a records database");
    }
    if (identity.version > kSchemaVersion) {
        throw StoreError(m_name + " was made by a newer velanto records (store version " +
                         std::to_string(identity.version) + "; this one reads up to " + std::to_string(kSchemaVersion) +
                         "); it is left as it is");
    }
    if (m_access == Access::ReadOnly && identity.version < kSchemaVersion) {
        throw StoreError(m_name + " needs an update that a read-only store cannot take");
    }
}

void RecordStore::BringSchemaUpToDate() {
    if (m_dialect->IdentityOf(*m_database, m_name).version == kSchemaVersion) {
        return;  // nothing to write: a full disk or another program's import does not stop the store opening
    }
    StoreTransaction transaction(*m_database);
    m_dialect->HoldSchema(*m_database);
    // Read again inside the transaction: another program may have brought it up to date meanwhile.
    const StoreIdentity identity = m_dialect->IdentityOf(*m_database, m_name);
    if (identity.version == kSchemaVersion) {
        return;
    }
    if (identity.empty) {
        m_database->Execute(CurrentTablesIn(m_dialect->Types()));
    } else {
        for (std::int64_t version = identity.version; version < kSchemaVersion; ++version) {
            m_database->Execute(std::string(kMigrations[static_cast<std::size_t>(version)]));
        }
    }
    m_dialect->Stamp(*m_database, kSchemaVersion);
    transaction.Commit();
}

ImportCounts RecordStore::Import(const DownloadOrigin& origin, const RecordTable& rows) {
    if (m_importRefusal) {
        throw StoreError(*m_importRefusal + ": nothing can be imported into it");
    }
    std::vector<KeptRecord> records;
    records.reserve(rows.RowCount());
    for (std::size_t row = 0; row < rows.RowCount(); ++row) {
        records.push_back(KeptRecordOf(rows, row));
    }
    std::stable_sort(records.begin(), records.end(), ComesBefore);
    StoreTransaction transaction(*m_database);
    // Without an image, its columns are left out rather than bound to nothing, which a server cannot type.
    const auto download = m_database->Prepare(
        origin.image ? "INSERT INTO downloads (imported_at, source, program_version, image, image_sha256) "
                       "VALUES (?, ?, ?, ?, ?) RETURNING id"
                     : "INSERT INTO downloads (imported_at, source, program_version) VALUES (?, ?, ?) RETURNING id");
    download->Bind(1, UtcNow()).Bind(2, origin.source).Bind(3, origin.programVersion);
    if (origin.image) {
        download->BindBlob(4, origin.image->data(), origin.image->size()).Bind(5, Sha256Hex(*origin.image));
    }
    download->Step();
    const std::int64_t downloadId = download->Number(0);
    download->Reset();

    const ImportCounts counts = KeepAll(*m_database, records, downloadId);
    if (counts.added > 0) {
        transaction.Commit();
    }
    return counts;
}

void RecordStore::NameProgram(std::int64_t program, std::string_view name, std::optional<std::int64_t> detector) {
    m_database
        ->Prepare(
            "INSERT INTO program_names (detector, program, name) VALUES (?, ?, ?) "
            "ON CONFLICT (detector, program) DO UPDATE SET name = excluded.name")
        ->Bind(1, detector.value_or(kEveryDetector))
        .Bind(2, program)
        .Bind(3, name)
        .Run();
}

std::size_t RecordStore::RecordCount() {
    return static_cast<std::size_t>(m_database->QueryNumber("SELECT count(*) FROM records"));
}

std::size_t RecordStore::DownloadCount() {
    return static_cast<std::size_t>(m_database->QueryNumber("SELECT count(*) FROM downloads"));
}

void RecordStore::ForEachRecord(const RecordFilter& filter, const std::function<void(const ListedRecord&)>& take) {
    const auto query = m_database->Prepare(std::string(kListedColumns) + ConditionsOf(filter) +
                                           " ORDER BY r.date, r.time, r.detector, r.test");
    BindConditions(*query, filter);
    while (query->Step()) {
        take({KeptRecordAt(*query), query->Text(10), query->Number(11)});
    }
}

bool RecordCursor::Read(std::size_t rows, RecordSelection& selection) {
    for (std::size_t row = 0; row < rows && !m_done; ++row) {
        if (!m_query->Step()) {
            m_done = true;  // stepped again, the query would start over
            break;
        }
        selection.keys.push_back(m_query->Number(0));
        const std::string_view verdict = m_query->TextView(1);
        selection.caution += verdict == "Caution" ? 1 : 0;
        selection.failed += verdict == "Failed" ? 1 : 0;
        selection.notCalendar += m_query->Number(2) == 0 ? 1 : 0;
    }
    return !m_done;
}

RecordCursor RecordStore::OpenSelection(const RecordFilter& filter) {
    auto query = m_database->Prepare("SELECT r.id, r.verdict, r.calendar_valid FROM records r" + ConditionsOf(filter) +
                                     " ORDER BY r.date, r.time, r.detector, r.test");
    BindConditions(*query, filter);
    return RecordCursor(std::move(query));
}

RecordSelection RecordStore::Select(const RecordFilter& filter) {
    RecordCursor cursor = OpenSelection(filter);
    RecordSelection selection;
    while (cursor.Read(std::numeric_limits<std::size_t>::max(), selection)) {
    }
    return selection;
}

std::vector<ListedRecord> RecordStore::RecordsOf(std::span<const std::int64_t> keys) {
    const auto query = m_database->Prepare(std::string(kListedColumns) + " WHERE r.id = ?");
    std::vector<ListedRecord> records;
    records.reserve(keys.size());
    for (const std::int64_t key : keys) {
        query->Bind(1, key);
        if (query->Step()) {
            records.push_back({KeptRecordAt(*query), query->Text(10), query->Number(11)});
        }
        query->Reset();
    }
    return records;
}

std::vector<ProgramTally> RecordStore::Programs(std::optional<std::int64_t> detector) {
    // The name for every detector first, then the one detector's, then the lowest detector's.
    const auto query = m_database->Prepare(
        std::string("SELECT r.program, count(*), coalesce((SELECT name FROM program_names n WHERE n.program = "
                    "r.program ORDER BY n.detector = -1 DESC, ") +
        (detector ? "n.detector = ? DESC, " : "") + "n.detector LIMIT 1), '') FROM records r" +
        (detector ? " WHERE r.detector = ?" : "") + " GROUP BY r.program ORDER BY r.program");
    if (detector) {
        query->Bind(1, *detector).Bind(2, *detector);
    }
    std::vector<ProgramTally> programs;
    while (query->Step()) {
        programs.push_back({query->Number(0), query->Text(2), static_cast<std::size_t>(query->Number(1))});
    }
    return programs;
}

std::vector<std::int64_t> RecordStore::Detectors() {
    // Hops from one detector to the next through their index instead of reading every record.
    const auto query = m_database->Prepare(
        "WITH RECURSIVE d (detector) AS (SELECT min(detector) FROM records UNION ALL"
        " SELECT (SELECT min(detector) FROM records WHERE detector > d.detector) FROM d"
        " WHERE d.detector IS NOT NULL) SELECT detector FROM d WHERE detector IS NOT NULL");
    std::vector<std::int64_t> detectors;
    while (query->Step()) {
        detectors.push_back(query->Number(0));
    }
    return detectors;
}

std::vector<CoveredDownload> RecordStore::DownloadsCovering(const RecordFilter& filter) {
    const auto query = m_database->Prepare(
        "SELECT d.id, d.imported_at, d.source, d.image_sha256 FROM downloads d"
        " WHERE d.id IN (SELECT r.download_id FROM records r" +
        ConditionsOf(filter) + ") ORDER BY d.id");
    BindConditions(*query, filter);
    std::vector<CoveredDownload> downloads;
    while (query->Step()) {
        downloads.push_back({query->Number(0), query->Text(1), query->Text(2),
                             query->IsNull(3) ? std::nullopt : std::optional(query->Text(3))});
    }
    return downloads;
}

std::string RecordStore::LabTitle() {
    const auto query = m_database->Prepare("SELECT value FROM settings WHERE name = ?");
    query->Bind(1, kLabTitleSetting);
    return query->Step() ? query->Text(0) : std::string();
}

void RecordStore::SetLabTitle(std::string_view title) {
    if (m_importRefusal) {
        throw StoreError(*m_importRefusal + ": the lab's title cannot be set in it");
    }
    m_database
        ->Prepare(
            "INSERT INTO settings (name, value) VALUES (?, ?) "
            "ON CONFLICT (name) DO UPDATE SET value = excluded.value")
        ->Bind(1, kLabTitleSetting)
        .Bind(2, title)
        .Run();
}

std::vector<std::string> RecordStore::Verify() {
    std::vector<std::string> differences;
    const auto images = m_database->Prepare("SELECT id, image FROM downloads WHERE image IS NOT NULL ORDER BY id");
    const std::unique_ptr<StoreStatement> fullLookup = m_database->Prepare(KeptLookupSql(kRowsAStatement));
    while (images->Step()) {
        const std::string label = "download " + std::to_string(images->Number(0));
        const std::string bytes = images->Blob(1);
        if (bytes.size() != kDumpSize) {
            differences.push_back(label + ": its image has " + std::to_string(bytes.size()) + " bytes");
            continue;
        }
        DetectorDump image;
        std::copy(bytes.begin(), bytes.end(), image.begin());
        MemoryRecordTable rows;
        DecodeDump(image, rows);
        std::vector<KeptRecord> records;
        for (std::size_t row = 0; row < rows.RowCount(); ++row) {
            records.push_back(KeptRecordOf(rows, row));
        }
        for (std::size_t start = 0; start < records.size(); start += kRowsAStatement) {
            const std::span<const KeptRecord> some =
                std::span(records).subspan(start, std::min(kRowsAStatement, records.size() - start));
            for (const std::string& difference : DifferencesFromKept(*m_database, *fullLookup, some)) {
                differences.push_back(label + ", " + difference);
            }
        }
    }
    const std::vector<std::string> problems = m_dialect->IntegrityProblems(*m_database);
    differences.insert(differences.end(), problems.begin(), problems.end());
    return differences;
}

}  // namespace velanto
