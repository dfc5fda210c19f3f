#pragma once
// `xrdtool diff`: what changed between two runs.

#include "xrdtool/common/command_line.h"

namespace xrdtool {

/// Runs `xrdtool diff OLD.xrd NEW.xrd [--format text|markdown|json]`.
Result<int> runDiff(const Arguments& args);

} // namespace xrdtool
