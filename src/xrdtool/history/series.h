#pragma once
// A series and its runs, as the other parts of the store read them.

#include "xrdtool/history/statements.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xrdtool::history {

/// "No such run" for ords.
constexpr std::int64_t NoOrd = -1;

/// One stored run.
struct StoredRun {
    /// The run's id in its series.
    std::string run;
    /// The run's place in time order: its time in seconds times 2^24 plus
    /// the store's add counter, so that equal times keep the order of adding.
    std::int64_t ord = 0;
    /// UTC seconds.
    std::int64_t at = 0;
    /// The SHA-256 of the report, and of its first HeadBytes bytes (the whole
    /// file when shorter): a report whose head differs is not this run's.
    std::string hash;
    std::string headHash;
    /// The source revision (--revision), when given.
    std::optional<std::string> revision;
    /// Its results by status.
    std::int64_t passed = 0;
    std::int64_t inconclusive = 0;
    std::int64_t failed = 0;
};

/// The id of series `name`; nothing when there is none.
Result<std::optional<std::int64_t>> findSeries(Statements& statements, const std::string& name);

/// The id of series `name`, created when new.
Result<std::int64_t> seriesFor(Statements& statements, const std::string& name);

/// Every run of a series, oldest first.
Result<std::vector<StoredRun>> loadRuns(Statements& statements, std::int64_t series);

/// The ord of the newest run before (`after` false) or of the oldest run
/// after `ord` (`after` true), or NoOrd.
Result<std::int64_t> neighbourOrd(Statements& statements, std::int64_t series, std::int64_t ord, bool after);

} // namespace xrdtool::history
