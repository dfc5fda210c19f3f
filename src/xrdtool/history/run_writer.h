#pragma once
// Adds one run to a series, inside the caller's write transaction, from a
// stream of result observations. Only what changes is written: a result whose
// status is the one of its span around the run's place costs nothing, a run
// in which nothing changed adds only its own row. A run earlier in time than
// stored ones splits the spans around its place, so that every answer is the
// one that adding in time order would have given.

#include "xrdtool/common/result_identity.h"
#include "xrdtool/history/failure_rows.h"
#include "xrdtool/history/id_index.h"
#include "xrdtool/history/series.h"
#include "xrdtool/history/spans.h"
#include "xrdtool/history/stored_paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xrdtool::history {

/// One result of the run being added.
struct Observation {
    /// Who it is, its names and type in the writer's tables.
    ResultIdentity identity;
    StoredStatus status = StoredStatus::Passed;
    /// For a failed result: the JUnit message (at most 1 KiB) and the location.
    std::string_view message;
    bool hasLocation = false;
    std::string_view file;
    std::int64_t line = 0;
};

/// How finish() ended when it did not fail.
enum class AddOutcome {
    Added,
    /// The series holds a run of the same report (skipSameReport): nothing more written.
    SameReportStored,
    /// The series holds a run of that id: nothing more written.
    RunExists,
};

/// Adds one run: place(), observe() per result in document order, finish().
/// The caller's transaction makes it all or nothing.
class RunWriter {
public:
    /// Writes into `series` (an id) through `statements`.
    RunWriter(Statements& statements, std::int64_t series);

    /// The tables the results' names, types and paths are kept in: an
    /// observation names its result by them.
    NameTable& names() { return tables_.names; }
    PathTable& paths() { return tables_.paths; }
    TypeNames& types() { return types_; }

    /// Fixes the run's time (UTC seconds): takes an add number, finds the
    /// runs just before and after, loads the series' results and their spans there.
    Result<void> place(std::int64_t at);
    /// True once place() has run.
    bool placed() const { return placed_; }
    /// One result, each identity once. Errors are kept for finish().
    void observe(const Observation& observation);
    /// Results not observed become absent, and the run's row is written.
    /// With `skipSameReport`, a report whose hash is stored already gives
    /// SameReportStored and writes nothing more (the caller rolls back), as
    /// does RunExists.
    /// `facts` gives the run's id, hashes, revision and counts (its place and
    /// time are the writer's).
    Result<AddOutcome> finish(const StoredRun& facts, bool skipSameReport);

private:
    struct Local {
        std::int64_t id = 0;
        Span atPrevious; // the span covering the run just before, if any
        Span atNext;     // the span covering the run just after, if any
        StoredStatus observed = StoredStatus::Absent;
        /// Made by this add: no failure row of it can be stored yet.
        bool fresh = false;
    };

    /// Places this run's status of one result among its spans.
    void placeInSpans(const Local& local, StoredStatus status);
    /// Writes the failure row of a failed result when it differs from the one in force.
    void recordFailure(const Local& local, const Observation& observation);
    /// Loads the series' paths and results into the tables and the index.
    Result<void> loadResults();
    /// Loads the failure row in force before this run of every result, in one
    /// query, for an engine where a query per failed result costs a round trip.
    Result<void> loadFailuresInForce();
    /// The failure row in force before this run of a stored result.
    Result<std::optional<FailureRow>> failureInForce(const Local& local);
    void keep(const Result<void>& done);

    Statements& statements_;
    SpanEdits edits_;
    std::int64_t series_;
    bool placed_ = false;
    std::int64_t ord_ = 0;
    std::int64_t previous_ = NoOrd;
    std::int64_t next_ = NoOrd;
    IdentityTables tables_;
    TypeNames types_{tables_.names};
    StoredPaths paths_;
    /// The series' results by identity: their place in locals_.
    IdentityMap index_;
    std::vector<Local> locals_;
    /// The stored results' places in locals_, by id.
    IdIndex localById_;
    std::optional<Error> failure_;
    /// loadFailuresInForce's rows by result id, when loaded.
    std::optional<std::unordered_map<std::int64_t, FailureRow>> inForce_;
};

} // namespace xrdtool::history
