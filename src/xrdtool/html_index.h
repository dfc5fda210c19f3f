#pragma once
// index.html: the report's title, the summary with its bar, one row per test
// driver and for the contracts section (failures first), the first failed
// results and the report information.

#include "xrd/report.h"
#include "xrdtool/html_section.h"
#include "xrdtool/totals.h"

#include <cstddef>
#include <string>
#include <vector>

namespace xrdtool {

class PathMap;

/// Everything the index shows; gathered while the report is read.
struct IndexContent {
    /// The report's first title.
    std::string title;
    /// The report file's name, shown at the foot.
    std::string reportName;
    /// The entries' totals (what the pages show).
    Totals totals;
    /// The report information tables, with their sub-headings.
    std::vector<xrd::Table> information;
    /// The sections in document order.
    std::vector<SectionSummary> sections;
    /// The first failed results as list items (see FailurePages).
    std::vector<std::string> firstFailures;
    /// Number of failed results.
    std::size_t failures = 0;
};

/// The index page's text.
std::string indexPage(const IndexContent& content, const PathMap& paths);

} // namespace xrdtool
