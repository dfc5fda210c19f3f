#pragma once
// The lists of `xrdtool diff` and their three forms: text for logs, markdown
// for pull-request comments, JSON for scripts.

#include "xrdtool/diff_index.h"
#include "xrdtool/totals.h"

#include <cstdio>
#include <vector>

namespace xrdtool {

/// A result's state in one run.
enum class Presence { Passed, Inconclusive, Failed, Absent };

/// "passed", "inconclusive", "failed" or "absent".
const char* presenceWord(Presence presence);

/// One listed result: its record (from NEW, from OLD when removed) and its states.
struct Change {
    const ResultRecord* record = nullptr;
    Presence before = Presence::Absent;
    Presence after = Presence::Absent;
};

/// Everything diff reports, each list in document order.
struct DiffLists {
    Totals before;
    Totals after;
    std::vector<Change> added;
    std::vector<Change> removed;
    std::vector<Change> newlyFailed;
    std::vector<Change> fixed;
    std::vector<Change> newlyNotExecuted;
    std::vector<Change> newlyPassed;
    bool empty() const
    {
        return added.empty() && removed.empty() && newlyFailed.empty() && fixed.empty() &&
               newlyNotExecuted.empty() && newlyPassed.empty();
    }
};

/// The tables that turn record numbers back into texts.
struct DiffText {
    const NameTable& names;
    const PathTable& paths;
};

/// The output format.
enum class DiffFormat { Text, Markdown, Json };

/// Matches the results of two runs and sorts them into the lists.
DiffLists compareResults(const ReportResults& before, const ReportResults& after);

/// Writes the lists; false on a write error.
bool writeDiff(std::FILE* out, DiffFormat format, const DiffLists& lists, const DiffText& text);

} // namespace xrdtool
