#pragma once
// The answers the store gives: the trend of a series, its flaky results, and
// a result's timeline. Rules (docs/history.md): a result's flips are its
// status changes between consecutive runs of the window in which it passed or
// failed, runs where it was inconclusive or absent skipped; it is flaky with
// at least K flips, or when it passed and failed in runs of one revision.

#include "xrdtool/history/series.h"
#include "xrdtool/history/spans.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xrdtool::history {

/// One run of the trend.
struct TrendRow {
    /// The run as stored.
    StoredRun run;
    /// Failed here, passed or inconclusive in the run before (0 for the first run).
    std::int64_t newlyFailed = 0;
    /// Failed in the run before, passed here.
    std::int64_t fixed = 0;
};

/// The newest `last` runs of a series (all when 0), oldest first.
Result<std::vector<TrendRow>> trend(Statements& statements, std::int64_t series, std::int64_t last);

/// A result as the outputs name it.
struct ResultName {
    /// The names from the test driver (or the contracts section) down to it.
    std::vector<std::string> path;
    /// The type as written, in the report's language.
    std::string type;
    /// 1 for the first result with this path and type in a report, 2 for the second, ...
    std::int64_t repeat = 1;
};

/// One flaky result.
struct FlakyResult {
    /// Who it is.
    ResultName name;
    /// The location of its newest failure in the window.
    std::optional<std::string> file;
    std::optional<std::int64_t> line;
    /// Its flips in the window, and the runs there where it passed and failed.
    std::int64_t flips = 0;
    std::int64_t passed = 0;
    std::int64_t failed = 0;
    /// Its status in the newest run of the window.
    StoredStatus last = StoredStatus::Absent;
    /// Passed and failed in runs of one revision.
    bool sameRevision = false;
};

/// The flaky results of the newest `window` runs, and the runs actually considered.
struct FlakyList {
    /// The runs considered.
    std::int64_t window = 0;
    /// The flaky results, in the order they are listed.
    std::vector<FlakyResult> results;
};

/// Flaky results, sorted by flips (most first), then path name by name as
/// byte strings, then type, then repeat number.
Result<FlakyList> flaky(Statements& statements, std::int64_t series, std::int64_t window,
                        std::int64_t minFlips);

/// Statuses of a result over runs given by their ords (ascending): what its spans say.
std::vector<StoredStatus> statusesAt(const std::vector<Span>& spans, const std::vector<std::int64_t>& ords);

/// Flips of a status sequence (passed/failed changes, others skipped).
std::int64_t flipsOf(const std::vector<StoredStatus>& statuses);

/// The names of a result by id.
Result<ResultName> resultName(Statements& statements, std::int64_t result);

/// The id of a result of `series` by its names; nothing when it is not stored.
Result<std::optional<std::int64_t>> findResult(Statements& statements, std::int64_t series,
                                               const ResultName& name);

/// The order `history flaky` lists results in after their flips: path name
/// by name as byte strings, then type, then repeat number.
bool nameLess(const ResultName& l, const ResultName& r);

} // namespace xrdtool::history
