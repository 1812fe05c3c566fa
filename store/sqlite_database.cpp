#include "store/sqlite_database.h"

#include <chrono>
#include <thread>

#include "os/utf8_path.h"

namespace velanto {
namespace {

// Another program importing into the same file holds its lock for one import's time at most.
constexpr int kBusyMilliseconds = 10000;

// `file` as an SQLite URI that opens it as a file nothing changes.
std::string ImmutableUri(const std::filesystem::path& file) {
    // An absolute path begins with "/", before a Windows drive letter too.
    const std::u8string generic = std::filesystem::absolute(file).generic_u8string();
    const std::string path(generic.begin(), generic.end());
    std::string uri = path.starts_with('/') ? "file:" : "file:/";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            constexpr std::string_view kHex = "0123456789ABCDEF";
            uri += {'%', kHex[static_cast<unsigned char>(c) >> 4], kHex[c & 0xF]};
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path& file, Access access) {
    std::error_code ignored;
    if (access == Access::ReadOnly && !std::filesystem::exists(file, ignored)) {
        throw StoreError(Utf8Of(file) + ": there is no database here");
    }
    Open(Utf8Of(file), access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (NeedsWalFilesItCannotMake(file)) {
        // Read as the file lies, without locks: with no -wal file beside it, no writer is at work on it.
        Open(ImmutableUri(file), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    }
}

void SqliteDatabase::Open(const std::string& name, int flags) {
    sqlite3* handle = nullptr;
    const int code = sqlite3_open_v2(name.c_str(), &handle, flags | SQLITE_OPEN_FULLMUTEX, nullptr);
    m_handle.reset(handle);
    if (code != SQLITE_OK) {
        throw StoreError(name + ": " + (handle ? sqlite3_errmsg(handle) : sqlite3_errstr(code)), code & 0xFF);
    }
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, kBusyMilliseconds);
}

// SQLite makes a WAL database's -wal and -shm files at its first read, which fails in a folder that may not
// be written to.
bool SqliteDatabase::NeedsWalFilesItCannotMake(const std::filesystem::path& file) {
    const int code = sqlite3_exec(m_handle.get(), "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    std::error_code ignored;
    return ((code & 0xFF) == SQLITE_CANTOPEN || (code & 0xFF) == SQLITE_READONLY) &&
           !std::filesystem::exists(std::filesystem::path(file) += "-wal", ignored);
}

void SqliteDatabase::Check(int code, std::string_view what) const {
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) {
        return;
    }
    if ((code & 0xFF) == SQLITE_FULL) {
        throw StoreError(std::string("the disk holding ") + sqlite3_db_filename(m_handle.get(), "main") +
                             " is full; nothing of the change was kept",
                         SQLITE_FULL);
    }
    throw StoreError(std::string(what) + ": " + sqlite3_errmsg(m_handle.get()), code & 0xFF);
}

void SqliteDatabase::Execute(const std::string& sql) {
    Check(sqlite3_exec(m_handle.get(), sql.c_str(), nullptr, nullptr, nullptr), "the store");
}

// Changing the journal mode takes the file whole, and SQLite answers "locked" at once, not after its busy
// time-out: two programs opening a new store together meet here.
void SqliteDatabase::UseWriteAheadLog() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyMilliseconds);
    for (;;) {
        try {
            Execute("PRAGMA journal_mode = WAL");
            return;
        } catch (const StoreError& error) {
            if (error.SqliteCode() != SQLITE_BUSY) {
                throw;
            }
        }
        if (std::chrono::steady_clock::now() > deadline) {
            throw StoreError(
                "the store: another program holds " + std::string(sqlite3_db_filename(m_handle.get(), "main")),
                SQLITE_BUSY);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::unique_ptr<StoreStatement> SqliteDatabase::Prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(m_handle.get(), sql.data(), static_cast<int>(sql.size()), &statement, nullptr),
          "the store");
    return std::make_unique<SqliteStatement>(*this, statement);
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    m_database->Check(sqlite3_bind_int64(m_handle.get(), index, value), "the store");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
    m_database->Check(
        sqlite3_bind_text64(m_handle.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8),
        "the store");
    return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, const void* bytes, std::size_t size) {
    m_database->Check(sqlite3_bind_blob64(m_handle.get(), index, bytes, size, SQLITE_TRANSIENT), "the store");
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    m_database->Check(sqlite3_bind_null(m_handle.get(), index), "the store");
    return *this;
}

bool SqliteStatement::Step() {
    const int code = sqlite3_step(m_handle.get());
    m_database->Check(code, "the store");
    return code == SQLITE_ROW;
}

std::int64_t SqliteStatement::Run() {
    while (Step()) {
    }
    Reset();
    return sqlite3_changes64(sqlite3_db_handle(m_handle.get()));
}

void SqliteStatement::Reset() {
    sqlite3_reset(m_handle.get());
    sqlite3_clear_bindings(m_handle.get());
}

std::string_view SqliteStatement::TextView(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_handle.get(), column));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(m_handle.get(), column)))
                : std::string_view();
}

std::string SqliteStatement::Blob(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_handle.get(), column));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(m_handle.get(), column))) : "";
}

}  // namespace velanto
