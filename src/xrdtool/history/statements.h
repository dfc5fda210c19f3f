#pragma once
// Every statement the store runs, written once in the SQL both engines read
// (placeholders `?`, `ON CONFLICT`, window functions, recursive common table
// expressions, no engine functions; "{returning id}" where an insert's new id
// is wanted, filled in per dialect), and a cache that prepares each on first use.

#include "xrdtool/history/engine.h"

#include <array>
#include <memory>
#include <optional>

#include <string>

namespace xrdtool::history {

/// The store's statements; see statements.cpp for their text.
enum class Sql {
    PutMeta,
    GetMeta,
    FindSeries,
    InsertSeries,
    RunsOfSeries,
    FindRunById,
    FindRunByHash,
    InsertRun,
    DeleteRun,
    PreviousOrd,
    NextOrd,
    SeriesRunCount,
    LastRunsFrom,
    PathsOfSeries,
    FindPath,
    InsertPath,
    PathNames,
    ResultsOfSeries,
    InsertResult,
    FindResult,
    ResultById,
    SpansOverlapping,
    SpansAround,
    FailuresAt,
    SpansOfResult,
    SpansFrom,
    InsertSpan,
    SetSpanLast,
    SetSpanFirst,
    DeleteSpan,
    FailureBefore,
    FailureAt,
    InsertFailure,
    DeleteFailure,
    NextFailedSpan,
    PruneSpansBefore,
    PruneSpanStarts,
    FailuresBefore,
    PruneFailuresBefore,
    PruneResults,
    PrunePaths,
    PruneRuns,
    SpansOfFailing,
    Count
};

/// Prepared statements of one connection, each made when first asked for.
class Statements {
public:
    explicit Statements(Connection& connection) : connection_(connection) {}

    /// The statement, reset with its old bindings. When it cannot be prepared,
    /// a statement whose every step fails (the reason in error()).
    Statement& get(Sql sql);
    /// Runs a query of at most one row: its first column, an integer;
    /// nothing when there is no row.
    Result<std::optional<std::int64_t>> single(Statement& statement);
    /// Runs an insert of a row that numbers itself (its text ends in
    /// "{returning id}"): the new row's id.
    Result<std::int64_t> insert(Statement& statement);
    /// Steps `statement` to its end; the engine's failure when a step fails.
    Result<void> run(Statement& statement);
    /// The last failure, naming the store.
    Error error() const { return connection_.lastError(); }
    /// Reads meta `key` into `value`; false when absent or unreadable.
    bool meta(const std::string& key, std::string& value);
    /// The connection the statements belong to.
    Connection& connection() { return connection_; }

private:
    Connection& connection_;
    std::array<std::unique_ptr<Statement>, std::size_t(Sql::Count)> prepared_;
};

} // namespace xrdtool::history
