#pragma once
// `xrdtool html`: the report as a static web site.

#include "xrdtool/common/command_line.h"

namespace xrdtool {

/// Runs `xrdtool html REPORT.xrd -o DIR [--path-map OLD=NEW]...`.
Result<int> runHtml(const Arguments& args);

} // namespace xrdtool
