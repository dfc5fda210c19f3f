#pragma once
// index.html: the report's title, the summary with its bar, one row per test
// driver and for the contracts section (failures first), the first failed
// results and the report information.

#include "xrd/report.h"
#include "xrdtool/common/totals.h"
#include "xrdtool/html/section.h"

#include <cstddef>
#include <string>
#include <vector>

namespace xrdtool {

class PathMap;

/// Everything the index shows besides the site's names; gathered while the
/// report is read.
struct IndexContent {
    /// The entries' totals (what the pages show).
    Totals totals;
    /// The report information tables as HTML, with their sub-headings
    /// (appendInformation), and the rows left out of them.
    std::string information;
    std::size_t informationLeftOut = 0;
    /// The sections in document order.
    std::vector<SectionSummary> sections;
    /// The first failed results as list items (see FailurePages).
    std::vector<std::string> firstFailures;
    /// Number of failed results.
    std::size_t failures = 0;
    /// With --history: the trend and the flaky results, as HTML (empty without).
    std::string history;
};

/// Most bytes of report information on the index; the rest is left out with a note.
constexpr std::size_t HtmlInformationBudget = 512 * 1024;

/// Adds one report information table to the index content, within the budget.
void appendInformation(IndexContent& content, const xrd::Table& table, const PathMap& paths);

/// Most sections listed on one page: the rest continue on sections-2.html, ...
constexpr std::size_t HtmlSectionsPerPage = 1000;

/// Writes index.html, and sections-2.html, ... when the sections do not fit
/// on it; false on a write error.
bool writeIndex(const Site& site, const IndexContent& content);

} // namespace xrdtool
