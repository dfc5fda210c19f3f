#pragma once
// The commands of xrdtool besides html; each takes the arguments after its
// word and returns the exit status.

#include <string>
#include <vector>

namespace xrdtool {

/// `xrdtool junit REPORT.xrd [-o FILE] [--strict] [--split DIR] [--path-map OLD=NEW]...`
int runJunitCommand(const std::vector<std::string>& args);
/// `xrdtool summary REPORT.xrd [--format text|github] [--verbose] [--path-map OLD=NEW]...`
int runSummaryCommand(const std::vector<std::string>& args);
/// `xrdtool diff OLD.xrd NEW.xrd [--format text|markdown|json]`
int runDiffCommand(const std::vector<std::string>& args);

} // namespace xrdtool
