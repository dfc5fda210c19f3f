#pragma once
// The results of a report are its counted entries; their totals are checked
// against the report's own summary rows.

#include "xrd/report.h"

#include <string>

namespace xrdtool {

/// Counted results by status.
struct Totals {
    long passed = 0;
    long inconclusive = 0;
    long failed = 0;
    long total() const { return passed + inconclusive + failed; }
    /// Counts one result.
    void add(xrd::ResultStatus status);
};

/// The warning line (without line end) when the entries' totals differ from the
/// report's summary rows; empty when they agree or the report has no summary.
std::string totalsWarning(const std::string& file, const Totals& totals, const xrd::Summary& summary);

/// "P passed, I inconclusive, F failed, T total".
std::string totalsLine(const Totals& totals);

} // namespace xrdtool
