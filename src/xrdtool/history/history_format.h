#pragma once
// The outputs of `history runs` and `history flaky` in the three formats.

#include "xrdtool/history/queries.h"

#include <string>
#include <vector>

namespace xrdtool::history {

/// The output formats of runs and flaky, as diff has them.
enum class HistoryFormat { Text, Markdown, Json };

/// The trend of `series` in `format`.
std::string formatRuns(HistoryFormat format, const std::string& series, const std::vector<TrendRow>& rows);

/// The flaky list of `series` in `format`.
std::string formatFlaky(HistoryFormat format, const std::string& series, const FlakyList& list);

/// "passed", "inconclusive", "failed" or "absent".
const char* storedStatusWord(StoredStatus status);

} // namespace xrdtool::history
