#include "xrdtool/history/sqlite_engine.h"

#include "xrdtool/common/c_handle.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace xrdtool::history {

namespace {

/// Exhausted memory inside SQLite is exhausted memory like any other.
int checked(int code)
{
    if (code == SQLITE_NOMEM)
        throw std::bad_alloc();
    return code;
}

/// Codes that say the file is not one of SQLite's databases, or a damaged one.
bool notDatabase(int code)
{
    return (code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT;
}

using DatabaseHandle = CHandle<sqlite3, sqlite3_close_v2>;
using StatementHandle = CHandle<sqlite3_stmt, sqlite3_finalize>;

/// The last failure of a connection: its code and SQLite's words, taken when
/// it happens (a later reset or call would change what the handle says).
struct Failure {
    int code = SQLITE_OK;
    std::string message;

    void take(sqlite3* db, int failed)
    {
        code = failed;
        message = sqlite3_errmsg(db);
    }
};

class SqliteStatement : public Statement {
public:
    SqliteStatement(sqlite3_stmt* statement, Failure& failure) : statement_(statement), failure_(failure) {}

    void bind(int index, std::int64_t value) override
    {
        checked(sqlite3_bind_int64(statement_.get(), index + 1, value));
    }
    void bind(int index, std::string_view value) override
    {
        // SQLITE_TRANSIENT: the text is copied, the caller's buffer may go.
        checked(sqlite3_bind_text64(statement_.get(), index + 1, value.data(), value.size(), SQLITE_TRANSIENT,
                                    SQLITE_UTF8));
    }
    void bindNull(int index) override { checked(sqlite3_bind_null(statement_.get(), index + 1)); }
    Step step() override
    {
        const int code = checked(sqlite3_step(statement_.get()));
        if (code == SQLITE_ROW)
            return Step::Row;
        if (code != SQLITE_DONE)
            failure_.take(sqlite3_db_handle(statement_.get()), code);
        sqlite3_reset(statement_.get());
        return code == SQLITE_DONE ? Step::Done : Step::Failed;
    }
    void reset() override { sqlite3_reset(statement_.get()); }
    std::int64_t integer(int column) const override { return sqlite3_column_int64(statement_.get(), column); }
    std::string text(int column) const override { return std::string(textView(column)); }
    std::string_view textView(int column) const override
    {
        const unsigned char* bytes = sqlite3_column_text(statement_.get(), column);
        if (!bytes) {
            if (sqlite3_errcode(sqlite3_db_handle(statement_.get())) == SQLITE_NOMEM)
                throw std::bad_alloc();
            return std::string_view();
        }
        return std::string_view(reinterpret_cast<const char*>(bytes),
                                std::size_t(sqlite3_column_bytes(statement_.get(), column)));
    }
    bool isNull(int column) const override
    {
        return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL;
    }

private:
    StatementHandle statement_;
    Failure& failure_;
};

class SqliteConnection : public Connection {
public:
    SqliteConnection(DatabaseHandle db, std::string name) : db_(std::move(db)), name_(std::move(name)) {}

    Dialect dialect() const override { return Dialect::Sqlite; }
    const std::string& name() const override { return name_; }

    std::unique_ptr<Statement> prepare(std::string_view sql) override
    {
        sqlite3_stmt* raw = nullptr;
        const int code = checked(sqlite3_prepare_v3(db_.get(), sql.data(), int(sql.size()),
                                                    SQLITE_PREPARE_PERSISTENT, &raw, nullptr));
        if (code != SQLITE_OK) {
            failure_.take(db_.get(), code);
            sqlite3_finalize(raw);
            return nullptr;
        }
        return std::make_unique<SqliteStatement>(raw, failure_);
    }

    Result<void> execute(std::string_view sql) override
    {
        const std::string text(sql);
        const int code = checked(sqlite3_exec(db_.get(), text.c_str(), nullptr, nullptr, nullptr));
        if (code == SQLITE_OK)
            return Result<void>();
        failure_.take(db_.get(), code);
        return lastError();
    }

    Result<void> begin(bool write) override
    {
        // IMMEDIATE takes the write lock now, waiting up to the busy timeout;
        // a deferred transaction that upgrades later could fail without waiting.
        return execute(write ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    Result<void> commit() override { return execute("COMMIT"); }
    void rollback() override
    {
        if (!sqlite3_get_autocommit(db_.get()))
            sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }

    Result<std::vector<std::string>> tableNames() override
    {
        std::unique_ptr<Statement> list = prepare("SELECT name FROM sqlite_schema WHERE type = 'table' "
                                                  "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
        return firstColumnTexts(*this, list.get());
    }

    /// quick_check reads every page and checks the structure of every tree
    /// (what a torn write or flipped bytes damage) but not that each index
    /// agrees with its table, which a store written by this code keeps: it
    /// takes a fraction of the full check's time on a large store.
    Result<void> checkIntegrity() override
    {
        std::unique_ptr<Statement> check = prepare("PRAGMA quick_check(1)");
        if (!check)
            return lastError();
        if (check->step() != Step::Row)
            return lastError();
        const std::string verdict = check->text(0);
        check->reset();
        if (verdict != "ok")
            return fileError(name_, std::string(NotStoreWords) + " (damaged: " + verdict + ")");
        return Result<void>();
    }

    std::int64_t lastInsertedId() const override { return sqlite3_last_insert_rowid(db_.get()); }

    Error lastError() const override
    {
        if (notDatabase(failure_.code))
            return fileError(name_, std::string(NotStoreWords) + " (" + failure_.message + ")");
        return fileError(name_, failure_.message);
    }

private:
    DatabaseHandle db_;
    std::string name_;
    Failure failure_;
};

} // namespace

Result<std::unique_ptr<Connection>> openSqlite(const std::string& path, OpenMode mode)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return fileError(path, std::strerror(errno));
        if (mode != OpenMode::Write)
            return std::unique_ptr<Connection>();
    } else if (!S_ISREG(info.st_mode)) {
        return fileError(path, std::string(NotStoreWords) + " (not a regular file)");
    }
    // Reading commands open for writing too when they may: a journal left by
    // a killed add is rolled back by the first connection that can.
    int flags = SQLITE_OPEN_READWRITE | (mode == OpenMode::Write ? SQLITE_OPEN_CREATE : 0);
    if (mode == OpenMode::Read && access(path.c_str(), W_OK) != 0)
        flags = SQLITE_OPEN_READONLY;
    sqlite3* raw = nullptr;
    const int code = checked(sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr));
    DatabaseHandle db(raw);
    if (code != SQLITE_OK) {
        const std::string reason = raw ? sqlite3_errmsg(raw) : "cannot open";
        return fileError(path, notDatabase(code) ? std::string(NotStoreWords) + " (" + reason + ")" : reason);
    }
    sqlite3_extended_result_codes(db.get(), 0);
    sqlite3_busy_timeout(db.get(), LockWaitMilliseconds);
    std::unique_ptr<Connection> connection = std::make_unique<SqliteConnection>(std::move(db), path);
    if (mode != OpenMode::Read) {
        // A rollback journal: when the command ends, the database file alone
        // holds every committed run (a write-ahead log beside it could be left
        // out of a CI cache). Stores written elsewhere in WAL mode are turned back.
        if (Result<void> journal = connection->execute("PRAGMA journal_mode = DELETE"); !journal)
            return journal.error();
    }
    return connection;
}

} // namespace xrdtool::history
