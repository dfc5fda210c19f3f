#pragma once
// Taking runs out of a series (add --replace, prune) so that every answer is
// the one a series that never held them would give: spans are cut back and
// joined again, and a failure row that later failed runs inherited moves to
// the first of them.

#include "xrdtool/history/statements.h"

#include <cstdint>

namespace xrdtool::history {

/// Removes the run at `ord` from `series`, inside the caller's transaction.
Result<void> removeRun(Statements& statements, std::int64_t series, std::int64_t ord);

/// Keeps the newest `keep` runs (at least 1) of `series`: the number of runs removed.
Result<std::int64_t> pruneRuns(Statements& statements, std::int64_t series, std::int64_t keep);

} // namespace xrdtool::history
