#pragma once
// Reads one report into a RunWriter: each result as an observation (its
// identity, status, and for a failed one the JUnit message and location),
// the report's SHA-256 from the very bytes read, its totals and its
// generation time. The time is fixed when the first result arrives (the
// report's information tables come before its results).

#include "xrd/report.h"
#include "xrdtool/common/error.h"
#include "xrdtool/common/path_map.h"
#include "xrdtool/history/run_writer.h"

#include <cstdint>
#include <optional>
#include <string>

namespace xrdtool::history {

/// How the run's time is found: `at` when given, else the report's
/// generation time row, else `fallback` (the file's modification time).
struct RunTimeSource {
    /// --at, UTC seconds.
    std::optional<std::int64_t> at;
    /// The report file's modification time, UTC seconds.
    std::int64_t fallback = 0;
};

/// What reading the report gave besides the observations.
struct ReportRun {
    /// How reading ended, with the counted totals and the summary rows.
    xrd::ReadResult read;
    /// The SHA-256 of the bytes read, and of their first HeadBytes, in hex.
    std::string hash;
    std::string headHash;
    /// The run's time as used, UTC seconds.
    std::int64_t at = 0;
    /// Why the run could not be placed in the store, if it could not.
    std::optional<Error> placeFailure;
};

/// Reads the report at `path` into `writer`, placing the run in time first.
/// The store's other failures surface in writer.finish().
ReportRun readReportRun(const std::string& path, const RunTimeSource& time, const PathMap& pathMap,
                        RunWriter& writer);

/// The JUnit `message` limit: a failed result's message is cut to this many
/// bytes on a character boundary.
constexpr std::size_t MessageLimit = 1024;

} // namespace xrdtool::history
