#pragma once
// What the history says about a report that summary and html are writing.
// The past is the series' stored runs earlier in time than the report,
// leaving out a stored run with the report's hash or the run id given, so
// that nothing counts twice whether the report was added or not; the report
// is the newest run. Rules (docs/history.md): flips and flakiness over the
// last 30 runs, the report included; a failed result's streak counts back
// from the report over the runs where it passed or failed, up to the first
// passed one.

#include "xrdtool/common/result_identity.h"
#include "xrdtool/history/queries.h"
#include "xrdtool/history/stored_paths.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace xrdtool::history {

/// Flakiness of a report's results looks at this many runs, the report included.
constexpr std::size_t JudgeWindow = 30;
/// A result with this many flips in the window is flaky.
constexpr std::int64_t DefaultMinFlips = 3;

/// What the history says of one result of the report.
struct ResultHistory {
    /// Who it is, in the tables of the past.
    ResultIdentity identity;
    /// Its statuses in the runs considered, oldest first, the report's last.
    std::vector<StoredStatus> recent;
    /// Flips within `recent`.
    std::int64_t flips = 0;
    /// Passed and failed in stored runs of one revision.
    bool sameRevision = false;
    /// At least DefaultMinFlips flips, or sameRevision.
    bool flaky = false;
    /// For a result failed in the report: its failed runs counted back from
    /// the report (included) up to the newest run where it passed; else 0.
    std::int64_t streak = 0;
    /// The oldest run of the streak; empty when the streak is the report alone.
    std::string since;
};

/// The note of a failed result in words: "flaky: F flips in the last W
/// runs", else "failing for N runs since RUN" for a streak of 2 or more,
/// else "new".
std::string noteWords(const ResultHistory& history);

/// How a report is told among the stored runs: its time, the SHA-256 of its
/// head, its whole SHA-256 (computed only when a stored run has the same
/// head), and the run id it was added under, if given.
struct ReportKey {
    /// UTC seconds.
    std::int64_t at = 0;
    /// The SHA-256 of its first HeadBytes bytes, in hex.
    std::string headHash;
    /// The whole SHA-256 in hex; empty when the file cannot be read.
    std::function<std::string()> wholeHash;
    /// --run; empty when not given.
    std::string run;
};

/// The runs a report is judged against, and what they say of its results.
class Past {
public:
    /// The past of the report `report` in series `series`: the runs earlier
    /// than it but a run of the same bytes or of its id. Loads them and every
    /// result failed in the window, naming them in `tables`, which must
    /// outlive the past.
    static Result<Past> load(Statements& statements, std::int64_t series, const ReportKey& report,
                             IdentityTables& tables);

    /// True when no run is earlier than the report: it is the first.
    bool empty() const { return runs_.empty(); }
    /// The newest runs before the report (at most JudgeWindow - 1), oldest first.
    std::vector<StoredRun> window() const;

    /// What the history says of the report's result `identity` with `status`:
    /// always something for a failed result, for another one only when it is
    /// flaky. Each identity is judged once.
    Result<std::optional<ResultHistory>> judge(const ResultIdentity& identity, StoredStatus status);
    /// The results failed in the window that were not judged and are flaky
    /// with the report as a run where they were absent.
    std::vector<ResultHistory> absentFlaky() const;

private:
    /// A result failed somewhere in the window: flakiness can depend on the report.
    struct Candidate {
        std::int64_t id = 0;
        /// Statuses in the window runs.
        std::vector<StoredStatus> window;
        /// Failed runs at the end of the past, up to the newest passed one.
        std::int64_t streak = 0;
        std::string since;
        bool judged = false;
    };

    Past(Statements& statements, std::int64_t series, IdentityTables& tables)
        : statements_(&statements), series_(series), tables_(&tables), types_(tables.names),
          paths_(statements, series, tables)
    {}
    /// The candidate facts of a result from its spans (ascending).
    Candidate timeline(std::int64_t id, const std::vector<Span>& spans) const;
    /// The history of a result with the report's `status` appended.
    ResultHistory history(const ResultIdentity& identity, const Candidate& candidate,
                          StoredStatus status) const;
    Result<void> loadCandidates();
    /// The candidate facts of a result not loaded with the others, read from the store.
    Result<Candidate> lookUp(const ResultIdentity& identity);

    Statements* statements_;
    std::int64_t series_;
    /// The runs of the past, oldest first, and their places in time.
    std::vector<StoredRun> runs_;
    std::vector<std::int64_t> ords_;
    /// The first of runs_ in the window.
    std::size_t windowStart_ = 0;
    IdentityTables* tables_;
    TypeNames types_;
    StoredPaths paths_;
    IdentityMap index_; // candidate number by identity
    std::vector<Candidate> candidates_;
    std::vector<ResultIdentity> identities_; // of each candidate
};

} // namespace xrdtool::history
