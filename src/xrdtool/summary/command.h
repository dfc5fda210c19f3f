#pragma once
// `xrdtool summary`: the failed results and the totals for the build log.

#include "xrdtool/common/command_line.h"

namespace xrdtool {

/// Runs `xrdtool summary REPORT.xrd [--format text|github] [--verbose] [--path-map OLD=NEW]...`.
Result<int> runSummary(const Arguments& args);

} // namespace xrdtool
