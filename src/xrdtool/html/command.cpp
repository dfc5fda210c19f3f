// xrdtool html REPORT.xrd -o DIR [--path-map OLD=NEW]...
// Reads the report once and writes the site as it goes: one set of pages per
// test driver and for the contracts section, the failures pages, then the
// index, the assets and the marker; the folder is renamed into place last.

#include "xrdtool/html/command.h"

#include "xrdtool/common/cli.h"
#include "xrdtool/common/file_stem.h"
#include "xrdtool/common/path_map.h"
#include "xrdtool/common/totals.h"
#include "xrdtool/html/failures.h"
#include "xrdtool/html/html_text.h"
#include "xrdtool/html/index.h"
#include "xrdtool/html/page.h"
#include "xrdtool/html/section.h"
#include "xrdtool/html/site_folder.h"

#include <memory>
#include <unordered_set>

namespace xrdtool {

namespace {

bool writePage(const std::string& path, const std::string& text)
{
    HtmlPage page;
    if (!page.open(path))
        return false;
    page.write(text);
    return page.close();
}

/// Turns the reader's events into pages.
class SiteWriter : public xrd::ReportHandler {
public:
    /// `reportName` is the report file's name, the title when the report has none.
    SiteWriter(const std::string& dir, const std::string& reportName, const PathMap& paths)
        : dir_(dir), paths_(paths)
    {
        index_.title = keptForDisplay(reportName, HtmlCellLimit);
        index_.reportName = index_.title;
    }

    void documentTitle(const std::string& title) override
    {
        if (!titleSeen_ && !title.empty())
            index_.title = keptForDisplay(title, HtmlCellLimit);
        titleSeen_ = true;
    }
    void infoTable(const xrd::Table& table) override { appendInformation(index_, table, paths_); }
    void summary(const xrd::Summary& summary) override { summary_ = summary; }

    void entryOpened(const xrd::Entry& entry) override
    {
        if (section_) {
            section_->entryOpened(entry);
            return;
        }
        // The global entry encloses the sections: each entry below it starts one.
        if (entry.depth == 0)
            return;
        if (!failures_)
            failures_ = std::make_unique<FailurePages>(dir_, index_.title, paths_);
        section_ = std::make_unique<SectionPages>(dir_, fileStem(entry.name, stems_), stems_, index_.title,
                                                  paths_, *failures_);
        if (!section_->begin(entry))
            failed_ = true;
    }

    void entryClosed(const xrd::Entry& entry) override
    {
        if (!section_)
            return;
        section_->entryClosed(entry);
        if (entry.depth > sectionDepth())
            return;
        const SectionSummary& done = section_->summary();
        failed_ = failed_ || section_->failed();
        index_.totals.passed += done.totals.passed;
        index_.totals.inconclusive += done.totals.inconclusive;
        index_.totals.failed += done.totals.failed;
        index_.sections.push_back(done);
        section_.reset();
    }

    /// Ends the failures pages and writes the index; false on a write error.
    bool finish()
    {
        if (!failures_)
            failures_ = std::make_unique<FailurePages>(dir_, index_.title, paths_);
        if (!failures_->finish() || failed_)
            return false;
        index_.firstFailures = failures_->first();
        index_.failures = failures_->count();
        if (!writePage(dir_ + "/index.html", indexPage(index_)))
            return false;
        for (std::size_t n = 2; n <= sectionsPages(index_); ++n) {
            if (!writePage(dir_ + "/sections-" + std::to_string(n) + ".html", sectionsPage(index_, n)))
                return false;
        }
        return true;
    }

    const Totals& totals() const { return index_.totals; }
    const xrd::Summary& reportSummary() const { return summary_; }

private:
    std::size_t sectionDepth() const { return section_->rootDepth(); }

    std::string dir_;
    const PathMap& paths_;
    IndexContent index_;
    xrd::Summary summary_;
    bool titleSeen_ = false;
    bool failed_ = false;
    std::unordered_set<std::string> stems_;
    std::unique_ptr<FailurePages> failures_;
    std::unique_ptr<SectionPages> section_;
};

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int runHtmlCommand(const std::vector<std::string>& args)
{
    std::string report, target;
    bool haveTarget = false;
    PathMap paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string value;
        bool missing = false;
        if (optionValue(args, i, "-o", value, missing)) {
            if (missing || value.empty())
                return usageError("html", "html: -o takes a folder");
            target = value;
            haveTarget = true;
        } else if (optionValue(args, i, "--path-map", value, missing)) {
            if (missing || !paths.add(value))
                return usageError("html", "html: --path-map takes OLD=NEW");
        } else if (const int status = takeReport("html", args[i], report)) {
            return status;
        }
    }
    if (report.empty())
        return usageError("html", "html: no report given");
    if (!haveTarget)
        return usageError("html", "html: no output folder given (-o DIR)");

    SiteFolder site;
    std::string problem;
    if (!site.prepare(target, problem))
        return fileError(target, problem);
    SiteWriter writer(site.dir(), baseName(report), paths);
    const xrd::ReadResult read = xrd::readReport(report, writer);
    if (!read.ok())
        return readError(report, read);
    printWarning(totalsWarning(report, writer.totals(), writer.reportSummary()));
    if (!writer.finish())
        return fileError(target, "write error");
    if (!site.commit(problem))
        return fileError(target, problem);
    return ExitOk;
}

} // namespace xrdtool
