#pragma once
// The writer of `xrdtool html`'s site: a report handler that writes the pages
// as the report is read.

#include "xrd/report.h"
#include "xrdtool/common/path_map.h"
#include "xrdtool/html/failures.h"
#include "xrdtool/html/index.h"
#include "xrdtool/html/section.h"

#include "xrdtool/html/site.h"

#include <memory>
#include <string>

namespace xrdtool {

/// Turns the reader's events into pages.
class SiteWriter : public xrd::ReportHandler {
public:
    /// `dir` is the site's folder (with p/ and assets/ made), `reportName` the
    /// report file's name, the title when the report has none; `history`, with
    /// --history, what the history says of the report (null without).
    SiteWriter(const std::string& dir, const std::string& reportName, const PathMap& paths,
               history::ReportHistory* history = nullptr);

    void documentTitle(const std::string& title) override;
    void infoTable(const xrd::Table& table) override;
    /// The rows a page can show of an entry, and its first failed row (the
    /// failures pages name it); the others are only counted.
    std::size_t rowBudget(const xrd::Entry&) const override { return HtmlEntryBudget; }
    void entryOpened(const xrd::Entry& entry) override;
    void entryClosed(const xrd::Entry& entry) override;

    /// Ends the failures pages, writes the index, the assets and the marker;
    /// a write error, or why the history could not be read.
    Result<void> finish(const std::string& target);

private:
    void openSection(const xrd::Entry& entry);
    void closeSection(const xrd::Entry& entry);

    Site site_;
    IndexContent index_;
    bool titleSeen_ = false;
    bool failed_ = false;
    std::unique_ptr<FailurePages> failures_;
    std::unique_ptr<SectionPages> section_;
};

} // namespace xrdtool
