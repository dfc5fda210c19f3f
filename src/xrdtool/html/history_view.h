#pragma once
// How the history looks on the site (html --history): on a result, its note,
// the flaky badge and the strip of its last statuses; on the index, the trend
// of the last runs drawn as SVG and the list of flaky results. Everything is
// markup and classes: no script, no inline style, so the content security
// policy and pages opened from disk hold.

#include "xrdtool/history/report_history.h"

#include <cstddef>
#include <string>
#include <vector>

namespace xrdtool {

/// A flaky result as the index lists it.
struct FlakyItem {
    /// Its names, driver first, its type as written and its repeat number.
    history::ResultName name;
    /// Its place on the site, relative to the root; empty when the report does not hold it.
    std::string href;
    history::ResultHistory history;
};

/// Flaky results listed on the index; the rest are counted.
constexpr std::size_t HtmlIndexFlaky = 100;

/// Appends ` data-streak="N"` for a failed result.
void appendStreakAttribute(std::string& out, const history::ResultHistory& judged, bool failed);

/// Appends what a result's own entry shows of its history: the flaky badge,
/// the note of a failed result in words, the strip of its last statuses.
void appendResultHistory(std::string& out, const history::ResultHistory& judged, bool failed);

/// Appends the note of a failed result in words, as summary writes it.
void appendHistoryNote(std::string& out, const history::ResultHistory& judged);

/// Appends the index's trend of the last runs (id="trend", one element with
/// data-run per run) and its list of flaky results (id="flaky", one item
/// with data-flips per result), most flips first.
void appendHistorySections(std::string& out, const std::vector<history::TrendPoint>& trend,
                           std::vector<FlakyItem> flaky);

} // namespace xrdtool
