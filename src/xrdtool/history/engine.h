#pragma once
// What differs between the engines a history store can live in. The store's
// logic (adding, queries, prune) and most of its SQL are written once over
// this interface; an engine supplies the connection, prepared statements with
// bound values, transactions, the list of tables, a check of the stored
// pages, and its failures in words that name the store. SQL texts use `?`
// placeholders; an engine whose driver numbers them ($1...) rewrites them
// when preparing. Nothing of one engine's wording or codes leaks past here.

#include "xrdtool/common/error.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xrdtool::history {

/// How a statement step ended.
enum class Step { Row, Done, Failed };

/// One prepared statement. Values are always bound, never pasted into SQL.
/// Parameters and columns count from 0.
class Statement {
public:
    virtual ~Statement() = default;
    /// Binds a 64-bit integer.
    virtual void bind(int index, std::int64_t value) = 0;
    /// Binds a text (bytes, any content, NUL included).
    virtual void bind(int index, std::string_view value) = 0;
    /// Binds SQL NULL.
    virtual void bindNull(int index) = 0;
    /// Runs to the next row; Failed leaves the reason in the connection's lastError().
    virtual Step step() = 0;
    /// Makes the statement ready to run again; bindings are kept.
    virtual void reset() = 0;
    /// An integer column of the current row.
    virtual std::int64_t integer(int column) const = 0;
    /// The text of a column (empty for NULL).
    virtual std::string text(int column) const = 0;
    /// The same without a copy, valid until the next step or reset: for the
    /// many rows read only to be interned.
    virtual std::string_view textView(int column) const = 0;
    /// True when the column is NULL.
    virtual bool isNull(int column) const = 0;
};

/// The parts of SQL that are not shared between engines.
enum class Dialect { Sqlite, Postgresql };

/// The words every refusal of a file starts with, whichever check found it.
constexpr const char* NotStoreWords = "not a history store";

/// One open connection to a store. Failures are Errors of the store's name
/// (fileError): "not a history store (REASON)" when the engine finds the file
/// is not one of its databases or is damaged, else the engine's reason.
class Connection {
public:
    virtual ~Connection() = default;
    /// The dialect, for the few statements written per engine.
    virtual Dialect dialect() const = 0;
    /// The store as messages name it (a URI without its password).
    virtual const std::string& name() const = 0;
    /// A prepared statement, or null with the reason in lastError().
    virtual std::unique_ptr<Statement> prepare(std::string_view sql) = 0;
    /// Runs statements without results (schema, transaction control).
    virtual Result<void> execute(std::string_view sql) = 0;
    /// Starts a transaction; `write` takes the write lock at once, waiting for it.
    virtual Result<void> begin(bool write) = 0;
    /// Commits the open transaction.
    virtual Result<void> commit() = 0;
    /// Rolls the open transaction back (harmless when none is open).
    virtual void rollback() = 0;
    /// The names of the tables the store holds, sorted (to tell our store from others).
    virtual Result<std::vector<std::string>> tableNames() = 0;
    /// A full check of the stored pages: "not a history store (damaged ...)" when they are not sound.
    virtual Result<void> checkIntegrity() = 0;
    /// The failure of the last call that failed.
    virtual Error lastError() const = 0;
    /// True when that failure was a conflict with another transaction (a
    /// serialization failure, a deadlock): the whole transaction, tried
    /// again from its start, may well succeed.
    virtual bool retryable() const { return false; }
    /// The id the last insert numbered, for a dialect whose inserts do not
    /// return it as a row (Statements::insert asks when no row came).
    virtual std::int64_t lastInsertedId() const = 0;
};

/// Every row's first column as text: what tableNames() lists. A statement
/// that could not be prepared (null) or a step that failed gives the
/// connection's lastError().
inline Result<std::vector<std::string>> firstColumnTexts(Connection& connection, Statement* statement)
{
    if (!statement)
        return connection.lastError();
    std::vector<std::string> texts;
    Step step;
    while ((step = statement->step()) == Step::Row)
        texts.push_back(statement->text(0));
    if (step != Step::Done)
        return connection.lastError();
    return texts;
}

/// A transaction that rolls back unless committed: every early return, and
/// exhausted memory unwinding through it, leaves the store as it was.
class Transaction {
public:
    explicit Transaction(Connection& connection) : connection_(connection) {}
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction()
    {
        if (open_)
            connection_.rollback();
    }
    /// Begins; see Connection::begin.
    Result<void> begin(bool write)
    {
        Result<void> begun = connection_.begin(write);
        open_ = begun.ok();
        return begun;
    }
    /// Commits; on failure the transaction is rolled back.
    Result<void> commit()
    {
        Result<void> committed = connection_.commit();
        if (!committed)
            connection_.rollback();
        open_ = false;
        return committed;
    }

private:
    Connection& connection_;
    bool open_ = false;
};

} // namespace xrdtool::history
