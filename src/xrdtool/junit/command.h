#pragma once
// `xrdtool junit`: the report as JUnit XML, in one file or one file per suite.

#include <string>
#include <vector>

namespace xrdtool {

/// `xrdtool junit REPORT.xrd [-o FILE] [--strict] [--split DIR] [--path-map OLD=NEW]...`
int runJunitCommand(const std::vector<std::string>& args);

} // namespace xrdtool
