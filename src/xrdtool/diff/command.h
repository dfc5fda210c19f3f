#pragma once
// `xrdtool diff`: what changed between two runs.

#include <string>
#include <vector>

namespace xrdtool {

/// `xrdtool diff OLD.xrd NEW.xrd [--format text|markdown|json]`
int runDiffCommand(const std::vector<std::string>& args);

} // namespace xrdtool
