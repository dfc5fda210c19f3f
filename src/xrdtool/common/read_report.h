#pragma once
// Reading a report for a command: the reader's outcome as a Result, and the
// one place that warns when the counted totals differ from the report's own
// summary rows.

#include "xrd/report.h"
#include "xrdtool/common/error.h"
#include "xrdtool/common/totals.h"

#include <string>

namespace xrdtool {

/// Reads the report at `path` into `handler`: its counted totals, after the
/// warning (warnIfTotalsDiffer) when they differ from the report's summary;
/// or why it cannot be read or is not a report.
Result<Totals> readReportInto(const std::string& path, xrd::ReportHandler& handler);

/// How reading `file` ended, as a Result: its counted totals, or the error
/// "cannot read (REASON)" or "not an XRD report (line L, column C: REASON)".
/// Prints nothing.
Result<Totals> readOutcome(const std::string& file, const xrd::ReadResult& read);

/// Prints the warning line on the error stream when the counted totals of a
/// read differ from the report's summary rows.
void warnIfTotalsDiffer(const std::string& file, const xrd::ReadResult& read);

} // namespace xrdtool
