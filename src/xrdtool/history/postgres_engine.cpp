#include "xrdtool/history/postgres_engine.h"

#include "xrdtool/common/c_handle.h"
#include "xrdtool/history/postgres_sql.h"
#include "xrdtool/history/store_name.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <map>
#include <new>
#include <optional>
#include <vector>

namespace xrdtool::history {

namespace {

/// The advisory lock every writer of a database holds for its transaction
/// (the bytes of "xrdhist"): docs/history.md names it for other tools.
constexpr long long WriterLock = 0x78726468697374;

/// Rows gathered before they are sent without waiting for a reason to.
constexpr std::size_t BulkBytes = 8 << 20;

using ResultHandle = CHandle<PGresult, PQclear>;
using ConnectionHandle = CHandle<PGconn, PQfinish>;

/// libpq answers null only when it cannot allocate the answer.
PGresult* checked(PGresult* result)
{
    if (!result)
        throw std::bad_alloc();
    return result;
}

/// What a failure was: the server's words and its SQLSTATE.
struct Failure {
    std::string message;
    std::string state;
};

class PostgresConnection;

class PostgresStatement : public Statement {
public:
    PostgresStatement(PostgresConnection& connection, std::string sql, int parameters,
                      std::optional<BulkInsert> bulk)
        : connection_(connection), sql_(std::move(sql)), values_(std::size_t(parameters)),
          nulls_(std::size_t(parameters), 1), bulk_(std::move(bulk))
    {}

    void bind(int index, std::int64_t value) override
    {
        bind(index, std::string_view(std::to_string(value)));
    }
    void bind(int index, std::string_view value) override
    {
        if (index < 0 || std::size_t(index) >= values_.size())
            return;
        values_[std::size_t(index)].assign(value.data(), value.size());
        nulls_[std::size_t(index)] = 0;
    }
    void bindNull(int index) override
    {
        if (index >= 0 && std::size_t(index) < values_.size())
            nulls_[std::size_t(index)] = 1;
    }
    Step step() override;
    void reset() override
    {
        result_.reset();
        row_ = -1;
        numberedRow_ = false;
    }
    std::int64_t integer(int column) const override
    {
        if (numberedRow_)
            return newId_;
        if (!result_)
            return 0;
        return std::strtoll(PQgetvalue(result_.get(), row_, column), nullptr, 10);
    }
    std::string text(int column) const override { return std::string(textView(column)); }
    std::string_view textView(int column) const override
    {
        if (numberedRow_ || !result_)
            return std::string_view();
        return std::string_view(PQgetvalue(result_.get(), row_, column),
                                std::size_t(PQgetlength(result_.get(), row_, column)));
    }
    bool isNull(int column) const override
    {
        return numberedRow_ || !result_ || PQgetisnull(result_.get(), row_, column);
    }

private:
    /// Runs the statement on the server now and keeps its rows.
    Step execute();

    PostgresConnection& connection_;
    std::string sql_;
    /// The server's name of the prepared statement, once prepared.
    std::string prepared_;
    std::vector<std::string> values_;
    std::vector<char> nulls_;
    std::optional<BulkInsert> bulk_;
    ResultHandle result_;
    int row_ = -1;
    /// A numbered insert's one row: the id the engine gave it.
    bool numberedRow_ = false;
    std::int64_t newId_ = 0;
};

class PostgresConnection : public Connection {
public:
    PostgresConnection(ConnectionHandle connection, std::string name, std::vector<std::string> passwords)
        : connection_(std::move(connection)), name_(std::move(name)), passwords_(std::move(passwords))
    {}

    Dialect dialect() const override { return Dialect::Postgresql; }
    const std::string& name() const override { return name_; }

    std::unique_ptr<Statement> prepare(std::string_view sql) override
    {
        int parameters = 0;
        std::string text = numberedPlaceholders(sql, parameters);
        return std::make_unique<PostgresStatement>(*this, std::move(text), parameters, bulkInsert(sql));
    }

    Result<void> execute(std::string_view sql) override
    {
        if (!flush())
            return lastError();
        const ResultHandle result(checked(PQexec(connection_.get(), std::string(sql).c_str())));
        if (!succeeded(result.get()))
            return lastError();
        return Result<void>();
    }

    Result<void> begin(bool write) override
    {
        forgetTransaction();
        if (!write)
            return execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        if (Result<void> begun = execute("BEGIN"); !begun)
            return begun;
        // One writer at a time per database: each add reads the runs around
        // its place and the adds' counter, which another writer must not change meanwhile.
        Result<void> ready = execute("SELECT pg_advisory_xact_lock(" + std::to_string(WriterLock) + ")");
        if (ready) {
            writing_ = true;
            ready = ensureSchema();
        }
        // Not begun for the caller, so not rolled back by it: the connection
        // must not stay inside a failed transaction (import goes on with it).
        if (!ready)
            rollback();
        return ready;
    }

    Result<void> commit() override
    {
        if (!flush())
            return lastError();
        for (const auto& [table, last] : lastIds_) {
            // The identity's sequence follows the ids numbered here, for
            // anyone who inserts without naming one.
            if (Result<void> set =
                    execute("SELECT setval(pg_get_serial_sequence('" + std::string(PostgresSchema) + "." +
                            table + "', 'id'), " + std::to_string(last) + ")");
                !set)
                return set;
        }
        const ResultHandle result(checked(PQexec(connection_.get(), "COMMIT")));
        forgetTransaction();
        if (!succeeded(result.get()))
            return lastError();
        // A transaction that failed earlier ends in a rollback, which COMMIT reports as done.
        if (std::string_view(PQcmdStatus(result.get())) != "COMMIT") {
            failure_ = Failure{"the transaction was rolled back", ""};
            return lastError();
        }
        return Result<void>();
    }

    void rollback() override
    {
        forgetTransaction();
        if (PQtransactionStatus(connection_.get()) != PQTRANS_IDLE)
            PQclear(PQexec(connection_.get(), "ROLLBACK"));
    }

    Result<std::vector<std::string>> tableNames() override
    {
        std::unique_ptr<Statement> list =
            prepare("SELECT tablename FROM pg_catalog.pg_tables WHERE schemaname = ? "
                    "ORDER BY tablename COLLATE \"C\"");
        if (list)
            list->bind(0, std::string_view(PostgresSchema));
        return firstColumnTexts(*this, list.get());
    }

    /// The server keeps its pages sound itself (and checks them as it reads).
    Result<void> checkIntegrity() override { return Result<void>(); }

    Error lastError() const override { return fileError(name_, scrubbed(failure_.message, passwords_)); }
    std::int64_t lastInsertedId() const override { return 0; }
    bool retryable() const override { return failure_.state == "40001" || failure_.state == "40P01"; }

    /// Runs a prepared statement (preparing it first when `name` is empty).
    PGresult* run(std::string& name, const std::string& sql, const std::vector<std::string>& values,
                  const std::vector<char>& nulls)
    {
        if (touchesPending(sql) && !flush())
            return nullptr;
        if (name.empty()) {
            const std::string made = "x" + std::to_string(++prepared_);
            const ResultHandle done(checked(
                PQprepare(connection_.get(), made.c_str(), sql.c_str(), int(values.size()), nullptr)));
            if (!succeeded(done.get()))
                return nullptr;
            name = made;
        }
        std::vector<const char*> pointers(values.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            pointers[i] = nulls[i] ? nullptr : values[i].c_str();
        PGresult* result = checked(PQexecPrepared(connection_.get(), name.c_str(), int(values.size()),
                                                  pointers.data(), nullptr, nullptr, 0));
        if (!succeeded(result)) {
            PQclear(result);
            return nullptr;
        }
        return result;
    }

    /// True when inserts may be numbered and gathered here: inside a writer's transaction.
    bool gathering() const { return writing_; }

    /// The next id of `table`: one past the largest stored, counted on from there.
    std::optional<std::int64_t> nextId(const std::string& table)
    {
        auto known = lastIds_.find(table);
        if (known == lastIds_.end()) {
            if (!flush())
                return std::nullopt;
            const ResultHandle result(
                checked(PQexec(connection_.get(), ("SELECT COALESCE(MAX(id), 0) FROM " + table).c_str())));
            if (!succeeded(result.get()))
                return std::nullopt;
            known = lastIds_.emplace(table, std::strtoll(PQgetvalue(result.get(), 0, 0), nullptr, 10)).first;
        }
        return ++known->second;
    }

    /// Gathers one row of `insert`; false when sending what was gathered failed.
    bool gather(const BulkInsert& insert, std::optional<std::int64_t> id,
                const std::vector<std::string>& values, const std::vector<char>& nulls)
    {
        gathered_.add(insert, id, values, nulls);
        return gathered_.bytes() < BulkBytes || flush();
    }

    /// True when `sql` must see the gathered rows first.
    bool touchesPending(std::string_view sql) const { return gathered_.named(sql); }

    /// Sends every gathered row, table by table in the order they were first
    /// gathered (a series before the results that refer to it); false with
    /// the reason kept when the server refused them.
    bool flush()
    {
        for (const GatheredRows::Batch& rows : gathered_.take()) {
            const std::string copy = "COPY " + rows.target + " FROM STDIN";
            const ResultHandle started(checked(PQexec(connection_.get(), copy.c_str())));
            if (PQresultStatus(started.get()) != PGRES_COPY_IN)
                return succeeded(started.get()) && fail("the server did not take the rows");
            const std::string& data = rows.rows.data();
            if (PQputCopyData(connection_.get(), data.data(), int(data.size())) != 1 ||
                PQputCopyEnd(connection_.get(), nullptr) != 1)
                return fail(oneLine(PQerrorMessage(connection_.get())));
            bool ok = true;
            while (PGresult* result = PQgetResult(connection_.get())) {
                ok = succeeded(result) && ok;
                PQclear(result);
            }
            if (!ok)
                return false;
        }
        return true;
    }

    /// Keeps the failure of `result` when it is one; true when it is not.
    bool succeeded(const PGresult* result)
    {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return true;
        const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
        const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        failure_ =
            Failure{oneLine(primary ? primary : PQerrorMessage(connection_.get())), state ? state : ""};
        return false;
    }

    bool fail(std::string message)
    {
        failure_ = Failure{std::move(message), ""};
        return false;
    }

private:
    void forgetTransaction()
    {
        gathered_.take();
        lastIds_.clear();
        writing_ = false;
    }

    Result<void> ensureSchema()
    {
        // Looked up first: creating it, even "if not exists", needs a right
        // to create in the database that a user of an existing store may lack.
        const ResultHandle found(checked(PQexec(
            connection_.get(),
            ("SELECT 1 FROM pg_catalog.pg_namespace WHERE nspname = '" + std::string(PostgresSchema) + "'")
                .c_str())));
        if (!succeeded(found.get()))
            return lastError();
        if (PQntuples(found.get()) > 0)
            return Result<void>();
        return execute("CREATE SCHEMA " + std::string(PostgresSchema));
    }

    ConnectionHandle connection_;
    std::string name_;
    std::vector<std::string> passwords_;
    Failure failure_;
    int prepared_ = 0;
    bool writing_ = false;
    GatheredRows gathered_;
    /// The largest id numbered so far in this transaction, per table.
    std::map<std::string, std::int64_t> lastIds_;
};

Step PostgresStatement::step()
{
    if (numberedRow_) {
        // The numbered insert's row was read: the insert is done.
        numberedRow_ = false;
        return Step::Done;
    }
    if (bulk_ && connection_.gathering()) {
        std::optional<std::int64_t> id;
        if (bulk_->numbered) {
            id = connection_.nextId(bulk_->table);
            if (!id)
                return Step::Failed;
        }
        if (!connection_.gather(*bulk_, id, values_, nulls_))
            return Step::Failed;
        if (!id)
            return Step::Done;
        newId_ = *id;
        numberedRow_ = true;
        return Step::Row;
    }
    if (!result_)
        return execute();
    if (++row_ < PQntuples(result_.get()))
        return Step::Row;
    reset();
    return Step::Done;
}

Step PostgresStatement::execute()
{
    PGresult* result = connection_.run(prepared_, sql_, values_, nulls_);
    if (!result)
        return Step::Failed;
    result_.reset(result);
    row_ = 0;
    if (PQntuples(result) > 0)
        return Step::Row;
    reset();
    return Step::Done;
}

/// The connection's settings before and after the URI's own: a wait for the
/// server unless the URI or the environment sets one; UTF-8 always.
struct Settings {
    std::vector<const char*> keywords;
    std::vector<const char*> values;
};

} // namespace

Result<std::unique_ptr<Connection>> openPostgres(const std::string& uri, OpenMode)
{
    const std::string name = maskedName(uri);
    const std::vector<std::string> passwords = passwordsIn(uri);
    const std::string timeout = std::to_string(ConnectTimeoutSeconds);
    Settings settings;
    // Settings before the URI are defaults it may override; after it, they win.
    if (!std::getenv("PGCONNECT_TIMEOUT")) {
        settings.keywords.push_back("connect_timeout");
        settings.values.push_back(timeout.c_str());
    }
    settings.keywords.insert(settings.keywords.end(),
                             {"fallback_application_name", "dbname", "client_encoding"});
    settings.values.insert(settings.values.end(), {"xrdtool", uri.c_str(), "UTF8"});
    settings.keywords.push_back(nullptr);
    settings.values.push_back(nullptr);
    ConnectionHandle connection(PQconnectdbParams(settings.keywords.data(), settings.values.data(), 1));
    if (!connection)
        throw std::bad_alloc();
    if (PQstatus(connection.get()) != CONNECTION_OK)
        return fileError(name, scrubbed(oneLine(PQerrorMessage(connection.get())), passwords));
    // Notices (an implicit index, a skipped rollback) are not the user's business.
    PQsetNoticeProcessor(
        connection.get(), [](void*, const char*) {}, nullptr);
    const char* encoding = PQparameterStatus(connection.get(), "server_encoding");
    if (!encoding || std::string_view(encoding) != "UTF8")
        return fileError(name,
                         std::string("the database's encoding is ") + (encoding ? encoding : "unknown") +
                             "; the history needs UTF8 (createdb -E UTF8)");
    auto made = std::make_unique<PostgresConnection>(std::move(connection), name, passwords);
    // The tables are found in their schema without naming it in every
    // statement; a writer waits for another as long as SQLite's do.
    if (Result<void> set = made->execute("SET search_path = " + std::string(PostgresSchema) +
                                         "; SET lock_timeout = " + std::to_string(LockWaitMilliseconds));
        !set)
        return set.error();
    return std::unique_ptr<Connection>(std::move(made));
}

} // namespace xrdtool::history
