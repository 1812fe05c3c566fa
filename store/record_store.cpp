#include "store/record_store.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "store/kept_record.h"
#include "store/sha256.h"

namespace velanto {
namespace {

// "VLRC": marks a file as a records database, whatever its version.
constexpr std::int64_t kApplicationId = 0x564C5243;
// The detector number of a program name that holds for every detector.
constexpr std::int64_t kEveryDetector = -1;

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

KeptRecord KeptRecordAt(const SqliteStatement& row) {
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
    add(filter.from.has_value(), "r.date >= ?1");
    add(filter.to.has_value(), "r.date <= ?2");
    add(filter.detector.has_value(), "r.detector = ?3");
    add(filter.program.has_value(), "r.program = ?4");
    add(filter.verdict.has_value(), "r.verdict = ?5");
    return where;
}

void BindConditions(SqliteStatement& query, const RecordFilter& filter) {
    if (filter.from) {
        query.Bind(1, *filter.from);
    }
    if (filter.to) {
        query.Bind(2, *filter.to);
    }
    if (filter.detector) {
        query.Bind(3, *filter.detector);
    }
    if (filter.program) {
        query.Bind(4, *filter.program);
    }
    if (filter.verdict) {
        query.Bind(5, *filter.verdict);
    }
}

// The records an import keeps with one statement, at most.
constexpr std::size_t kRowsAStatement = 100;

// INSERT OR IGNORE of `rows` records.
std::string KeepingSql(std::size_t rows) {
    std::string sql =
        "INSERT OR IGNORE INTO records (detector, test, date, time, program, rlu, lower, upper, verdict, "
        "calendar_valid, download_id) VALUES ";
    for (std::size_t row = 0; row < rows; ++row) {
        sql += row == 0 ? "(?,?,?,?,?,?,?,?,?,?,?)" : ",(?,?,?,?,?,?,?,?,?,?,?)";
    }
    return sql;
}

// Keeps those of `records` not kept yet with one statement, `fullStatement` when there are kRowsAStatement of
// them; how many it kept.
std::size_t KeepRecords(SqliteDatabase& database, SqliteStatement& fullStatement, std::span<const KeptRecord> records,
                        std::int64_t downloadId) {
    if (records.empty()) {
        return 0;
    }
    std::optional<SqliteStatement> fewer;
    SqliteStatement& keep =
        records.size() == kRowsAStatement ? fullStatement : fewer.emplace(database.Prepare(KeepingSql(records.size())));
    int at = 0;
    for (const KeptRecord& record : records) {
        keep.Bind(at + 1, record.detector).Bind(at + 2, record.test).Bind(at + 3, record.date);
        keep.Bind(at + 4, record.time).Bind(at + 5, record.program).Bind(at + 6, record.rlu);
        keep.Bind(at + 7, record.lower).Bind(at + 8, record.upper).Bind(at + 9, record.verdict);
        keep.Bind(at + 10, std::int64_t{record.calendarValid}).Bind(at + 11, downloadId);
        at += 11;
    }
    keep.Run();
    return static_cast<std::size_t>(database.ChangedRows());
}

// Keeps those of `records` not kept yet: records off the calendar one at a time, so that those kept are
// counted, the others kRowsAStatement a statement, which spares SQLite most of its work for each statement.
ImportCounts KeepAll(SqliteDatabase& database, std::span<const KeptRecord> records, std::int64_t downloadId) {
    SqliteStatement fullStatement = database.Prepare(KeepingSql(kRowsAStatement));
    const auto keep = [&](std::span<const KeptRecord> some) {
        return KeepRecords(database, fullStatement, some, downloadId);
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

}  // namespace

RecordStore::RecordStore(const std::filesystem::path& file, Access access)
    : m_database(file, access), m_access(access) {
    if (access == Access::ReadOnly) {
        m_importRefusal = "the store is open for reading only";
    } else if (sqlite3_db_readonly(m_database.Handle(), "main") == 1) {
        m_access = Access::ReadOnly;
        m_importRefusal = file.string() + " may not be written to (the file, its folder or its disk is read-only)";
    }
    // Another program's database may have pages in its WAL yet: refused, it is closed without taking them in.
    m_database.CheckpointOnClose(false);
    RefuseForeignFile(file);
    m_database.CheckpointOnClose(true);
    if (m_access == Access::ReadWrite) {
        m_database.UseWriteAheadLog();
        BringSchemaUpToDate();
    }
    m_database.Execute("PRAGMA foreign_keys = ON");
}

// Reads before anything is written: a file that is no records database, or a newer one, stays untouched.
// One statement reads all three, so that a store another program is making meanwhile is seen whole or not.
void RecordStore::RefuseForeignFile(const std::filesystem::path& file) {
    std::int64_t applicationId = 0, version = 0, objects = 0;
    try {
        SqliteStatement identity = m_database.Prepare(
            "SELECT a.application_id, v.user_version, (SELECT count(*) FROM sqlite_schema) "
            "FROM pragma_application_id a, pragma_user_version v");
        identity.Step();
        applicationId = identity.Number(0);
        version = identity.Number(1);
        objects = identity.Number(2);
    } catch (const StoreError& error) {
        if (error.SqliteCode() != SQLITE_NOTADB) {
            throw;
        }
        throw StoreError(file.string() + " is not a records database");
    }
    const bool empty = applicationId == 0 && version == 0 && objects == 0;
    if (!empty && applicationId != kApplicationId) {
        throw StoreError(file.string() + " is not a records database");
    }
    if (version > kSchemaVersion) {
        throw StoreError(file.string() + " was made by a newer velanto records (store version " +
                         std::to_string(version) + "; this one reads up to " + std::to_string(kSchemaVersion) +
                         "); it is left as it is");
    }
    if (m_access == Access::ReadOnly && version < kSchemaVersion) {
        throw StoreError(file.string() + " needs an update that a read-only store cannot take");
    }
}

void RecordStore::BringSchemaUpToDate() {
    if (m_database.QueryNumber("PRAGMA user_version") == kSchemaVersion) {
        return;  // nothing to write: a full disk or another program's import does not stop the store opening
    }
    SqliteTransaction transaction(m_database);
    // Read again inside the transaction: another program may have brought it up to date meanwhile.
    for (std::int64_t version = m_database.QueryNumber("PRAGMA user_version"); version < kSchemaVersion; ++version) {
        m_database.Execute(std::string(kMigrations[static_cast<std::size_t>(version)]));
        m_database.Execute("PRAGMA user_version = " + std::to_string(version + 1));
    }
    m_database.Execute("PRAGMA application_id = " + std::to_string(kApplicationId));
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
    SqliteTransaction transaction(m_database);
    SqliteStatement download = m_database.Prepare(
        "INSERT INTO downloads (imported_at, source, program_version, image, image_sha256) "
        "VALUES (strftime('%Y-%m-%dT%H:%M:%SZ', 'now'), ?, ?, ?, ?)");
    download.Bind(1, origin.source).Bind(2, origin.programVersion);
    if (origin.image) {
        download.BindBlob(3, origin.image->data(), origin.image->size()).Bind(4, Sha256Hex(*origin.image));
    } else {
        download.BindNull(3).BindNull(4);
    }
    download.Run();
    const std::int64_t downloadId = m_database.LastInsertedRow();

    const ImportCounts counts = KeepAll(m_database, records, downloadId);
    if (counts.added > 0) {
        transaction.Commit();
    }
    return counts;
}

void RecordStore::NameProgram(std::int64_t program, std::string_view name, std::optional<std::int64_t> detector) {
    m_database.Prepare("INSERT OR REPLACE INTO program_names (detector, program, name) VALUES (?, ?, ?)")
        .Bind(1, detector.value_or(kEveryDetector))
        .Bind(2, program)
        .Bind(3, name)
        .Run();
}

std::size_t RecordStore::RecordCount() {
    return static_cast<std::size_t>(m_database.QueryNumber("SELECT count(*) FROM records"));
}

std::size_t RecordStore::DownloadCount() {
    return static_cast<std::size_t>(m_database.QueryNumber("SELECT count(*) FROM downloads"));
}

void RecordStore::ForEachRecord(const RecordFilter& filter, const std::function<void(const ListedRecord&)>& take) {
    SqliteStatement query = m_database.Prepare(std::string(kListedColumns) + ConditionsOf(filter) +
                                               " ORDER BY r.date, r.time, r.detector, r.test");
    BindConditions(query, filter);
    while (query.Step()) {
        take({KeptRecordAt(query), query.Text(10), query.Number(11)});
    }
}

bool RecordCursor::Read(std::size_t rows, RecordSelection& selection) {
    for (std::size_t row = 0; row < rows && !m_done; ++row) {
        if (!m_query.Step()) {
            m_done = true;  // stepped again, the query would start over
            break;
        }
        selection.keys.push_back(m_query.Number(0));
        const std::string_view verdict = m_query.TextView(1);
        selection.caution += verdict == "Caution" ? 1 : 0;
        selection.failed += verdict == "Failed" ? 1 : 0;
        selection.notCalendar += m_query.Number(2) == 0 ? 1 : 0;
    }
    return !m_done;
}

RecordCursor RecordStore::OpenSelection(const RecordFilter& filter) {
    SqliteStatement query = m_database.Prepare("SELECT r.id, r.verdict, r.calendar_valid FROM records r" +
                                               ConditionsOf(filter) + " ORDER BY r.date, r.time, r.detector, r.test");
    BindConditions(query, filter);
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
    SqliteStatement query = m_database.Prepare(std::string(kListedColumns) + " WHERE r.id = ?");
    std::vector<ListedRecord> records;
    records.reserve(keys.size());
    for (const std::int64_t key : keys) {
        query.Bind(1, key);
        if (query.Step()) {
            records.push_back({KeptRecordAt(query), query.Text(10), query.Number(11)});
        }
        query.Reset();
    }
    return records;
}

std::vector<ProgramTally> RecordStore::Programs(std::optional<std::int64_t> detector) {
    SqliteStatement query = m_database.Prepare(
        "SELECT r.program, count(*), coalesce((SELECT name FROM program_names n WHERE n.program = r.program"
        " ORDER BY n.detector = -1 DESC, n.detector = ?1 DESC, n.detector LIMIT 1), '')"
        " FROM records r WHERE ?1 IS NULL OR r.detector = ?1 GROUP BY r.program ORDER BY r.program");
    detector ? query.Bind(1, *detector) : query.BindNull(1);
    std::vector<ProgramTally> programs;
    while (query.Step()) {
        programs.push_back({query.Number(0), query.Text(2), static_cast<std::size_t>(query.Number(1))});
    }
    return programs;
}

std::vector<std::int64_t> RecordStore::Detectors() {
    // Hops from one detector to the next through their index instead of reading every record.
    SqliteStatement query = m_database.Prepare(
        "WITH RECURSIVE d (detector) AS (SELECT min(detector) FROM records UNION ALL"
        " SELECT (SELECT min(detector) FROM records WHERE detector > d.detector) FROM d"
        " WHERE d.detector IS NOT NULL) SELECT detector FROM d WHERE detector IS NOT NULL");
    std::vector<std::int64_t> detectors;
    while (query.Step()) {
        detectors.push_back(query.Number(0));
    }
    return detectors;
}

std::vector<CoveredDownload> RecordStore::DownloadsCovering(const RecordFilter& filter) {
    SqliteStatement query = m_database.Prepare(
        "SELECT d.id, d.imported_at, d.source, d.image_sha256 FROM downloads d"
        " WHERE d.id IN (SELECT r.download_id FROM records r" +
        ConditionsOf(filter) + ") ORDER BY d.id");
    BindConditions(query, filter);
    std::vector<CoveredDownload> downloads;
    while (query.Step()) {
        downloads.push_back({query.Number(0), query.Text(1), query.Text(2),
                             query.IsNull(3) ? std::nullopt : std::optional(query.Text(3))});
    }
    return downloads;
}

std::string RecordStore::LabTitle() {
    SqliteStatement query = m_database.Prepare("SELECT value FROM settings WHERE name = ?");
    query.Bind(1, kLabTitleSetting);
    return query.Step() ? query.Text(0) : std::string();
}

void RecordStore::SetLabTitle(std::string_view title) {
    if (m_importRefusal) {
        throw StoreError(*m_importRefusal + ": the lab's title cannot be set in it");
    }
    // An update, else an insert: plain SQL that every database takes, where an upsert is each one's own.
    SqliteTransaction transaction(m_database);
    m_database.Prepare("UPDATE settings SET value = ? WHERE name = ?").Bind(1, title).Bind(2, kLabTitleSetting).Run();
    if (m_database.ChangedRows() == 0) {
        m_database.Prepare("INSERT INTO settings (name, value) VALUES (?, ?)")
            .Bind(1, kLabTitleSetting)
            .Bind(2, title)
            .Run();
    }
    transaction.Commit();
}

std::vector<std::string> RecordStore::Verify() {
    std::vector<std::string> differences;
    SqliteStatement images = m_database.Prepare("SELECT id, image FROM downloads WHERE image IS NOT NULL");
    SqliteStatement kept = m_database.Prepare(std::string(kListedColumns) +
                                              " WHERE r.detector = ? AND r.test = ? AND r.date = ? AND r.time = ? AND"
                                              " r.program = ? AND r.rlu = ?");
    while (images.Step()) {
        const std::string label = "download " + std::to_string(images.Number(0));
        const std::string bytes = images.Blob(1);
        if (bytes.size() != kDumpSize) {
            differences.push_back(label + ": its image has " + std::to_string(bytes.size()) + " bytes");
            continue;
        }
        DetectorDump image;
        std::copy(bytes.begin(), bytes.end(), image.begin());
        MemoryRecordTable rows;
        DecodeDump(image, rows);
        for (std::size_t row = 0; row < rows.RowCount(); ++row) {
            const KeptRecord record = KeptRecordOf(rows, row);
            kept.Bind(1, record.detector).Bind(2, record.test).Bind(3, record.date).Bind(4, record.time);
            kept.Bind(5, record.program).Bind(6, record.rlu);
            const bool found = kept.Step();
            if (!found || KeptRecordAt(kept) != record) {
                differences.push_back(label + ", test " + std::to_string(record.test) +
                                      (found ? ": kept with other values" : ": not kept"));
            }
            kept.Reset();
        }
    }
    SqliteStatement integrity = m_database.Prepare("PRAGMA integrity_check");
    while (integrity.Step()) {
        if (const std::string line = integrity.Text(0); line != "ok") {
            differences.push_back("the file: " + line);
        }
    }
    return differences;
}

}  // namespace velanto
