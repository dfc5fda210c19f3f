#pragma once
// What every part of the site shares, passed by reference to each: its
// folder, the path map, the report's names, the stems of its pages and, with
// --history, the report's history.

#include "xrdtool/html/history_view.h"

#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace xrdtool {

class PathMap;

/// The file that marks a folder as a site of ours (replaced whole on the next run).
constexpr const char* HtmlSiteMarker = ".xrdtool-html";

/// The site being written.
struct Site {
    Site(std::string dir, const PathMap& paths) : dir(std::move(dir)), paths(paths) {}

    /// The site's folder (holding p/ and assets/).
    std::string dir;
    /// --path-map's rules, for every location shown.
    const PathMap& paths;
    /// The report's title: its first title, else the report file's name.
    std::string title;
    /// The report file's name, shown at the index's foot.
    std::string reportName;
    /// The stems of the pages under p/, as fileStem keeps them: each new page's is unique.
    std::unordered_set<std::string> stems;
    /// With --history: what the history says of the results as they are read; null without.
    history::ReportHistory* history = nullptr;
    /// With --history: the flaky results met on the pages, for the index.
    std::vector<FlakyItem> flaky;
};

} // namespace xrdtool
