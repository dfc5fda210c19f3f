#pragma once
// The results of a report are its counted entries (the reader counts them);
// their totals are checked against the report's own summary rows.

#include "xrd/report.h"

#include <optional>
#include <string>

namespace xrdtool {

/// Counted results by status, as the reader counts them.
using xrd::Totals;

/// The warning line (without line end) when the entries' totals differ from the
/// report's summary rows; nothing when they agree or the report has no summary.
std::optional<std::string> totalsMismatch(const std::string& file, const Totals& totals,
                                          const xrd::Summary& summary);

/// "P passed, I inconclusive, F failed, T total".
std::string totalsLine(const Totals& totals);

} // namespace xrdtool
