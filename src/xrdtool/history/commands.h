#pragma once
// The bodies of `xrdtool history add|import|runs|flaky|prune`, the rows of
// the `history` family in the command table (commands.cpp). Each reads its
// arguments as its row names them and returns the exit status: 0 done, 255
// with one line naming the store or the report.

#include "xrdtool/common/command_line.h"

namespace xrdtool::history {

/// Adds one run in one transaction.
Result<int> runHistoryAdd(const Arguments& args);
/// Adds many reports, one transaction each; a report stored already is skipped.
Result<int> runHistoryImport(const Arguments& args);
/// The trend, oldest first.
Result<int> runHistoryRuns(const Arguments& args);
/// The flaky results of the newest runs.
Result<int> runHistoryFlaky(const Arguments& args);
/// Keeps the newest runs.
Result<int> runHistoryPrune(const Arguments& args);

/// The series a command works on: --series, else "default".
std::string seriesOf(const Arguments& args);

} // namespace xrdtool::history
