#pragma once
// The known answers of a series, computed from the statuses the plan chose
// (not from any history store): the counts of every night, the flaky results
// and the failure streaks at the newest night, by the rules of xrdtool's
// history:
//   - a result is who xrdtool diff says it is: the names from the driver down
//     to it, its type, and its number among the results with the same names
//     and type, in document order (diff's matching rule, rewritten here so
//     that the bench does not depend on xrdtool's code);
//   - newly failed: failed tonight, passed or inconclusive the night before;
//     fixed: failed the night before, passed tonight (none on the first night);
//   - flips: status changes between consecutive nights of the window in which
//     the result passed or failed (inconclusive nights are passed over);
//     flaky: at least the minimum of flips, or passed and failed in nights of
//     one revision;
//   - streak: counted back from the newest night over nights in which the
//     result passed or failed, up to the first passed.

#include "series_plan.h"
#include "series_scan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace series {

/// One night as its report was written.
struct NightInfo {
    std::string file;     ///< the file name, without folder
    std::string at;       ///< its time, YYYY-MM-DDTHH:MM:SS, empty when none
    std::string revision; ///< empty when the series has no revisions
};

/// What the answers are asked about, and what they repeat of the series.
struct AnswerOptions {
    /// The flaky window, in nights up to the newest.
    uint32_t window = 30;
    /// Flips that make a result flaky.
    uint32_t minFlips = 3;
    /// The night the flaky list and the streaks are computed at (1-based).
    uint32_t newest = 0;
    /// Every result's statuses, one letter a night, in "timelines".
    bool timelines = false;
    /// The report the series was made from, repeated in the file.
    std::string report;
    /// The series' seed, repeated in the file.
    uint64_t seed = 0;
    /// The series' share of changes, repeated in the file.
    double share = 0;
};

/// Writes the answers as JSON to `path`; false with the reason in `error`.
bool writeAnswers(const std::string& path, const ReportIndex& report, const Plan& plan,
                  const std::vector<NightInfo>& nights, const AnswerOptions& options, std::string& error);

} // namespace series
