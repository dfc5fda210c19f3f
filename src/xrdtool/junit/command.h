#pragma once
// `xrdtool junit`: the report as JUnit XML, in one file or one file per suite.

#include "xrdtool/common/command_line.h"

namespace xrdtool {

/// Runs `xrdtool junit REPORT.xrd [-o FILE] [--strict] [--split DIR] [--path-map OLD=NEW]...`.
Result<int> runJunit(const Arguments& args);

} // namespace xrdtool
