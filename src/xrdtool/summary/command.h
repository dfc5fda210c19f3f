#pragma once
// `xrdtool summary`: the failed results and the totals for the build log.

#include <string>
#include <vector>

namespace xrdtool {

/// `xrdtool summary REPORT.xrd [--format text|github] [--verbose] [--path-map OLD=NEW]...`
int runSummaryCommand(const std::vector<std::string>& args);

} // namespace xrdtool
