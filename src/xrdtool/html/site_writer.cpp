// Reads the report once and writes the site as it goes: one set of pages per
// test driver and for the contracts section, the failures pages, then the
// index, the assets and the marker.

#include "xrdtool/html/site_writer.h"

#include "xrdtool/html/assets.h"
#include "xrdtool/html/html_text.h"

#include <cstdio>
#include <cstring>

namespace xrdtool {

namespace {

bool writeFile(const std::string& path, const char* text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const std::size_t size = std::strlen(text);
    const bool written = std::fwrite(text, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

} // namespace

SiteWriter::SiteWriter(const std::string& dir, const std::string& reportName, const PathMap& paths,
                       history::ReportHistory* history)
    : site_(dir, paths)
{
    site_.title = keptForDisplay(reportName, HtmlCellLimit);
    site_.reportName = site_.title;
    site_.history = history;
}

void SiteWriter::documentTitle(const std::string& title)
{
    if (!titleSeen_ && !title.empty())
        site_.title = keptForDisplay(title, HtmlCellLimit);
    titleSeen_ = true;
}

void SiteWriter::infoTable(const xrd::Table& table)
{
    appendInformation(index_, table, site_.paths);
    if (site_.history)
        site_.history->infoTable(table);
}

void SiteWriter::entryOpened(const xrd::Entry& entry)
{
    openSection(entry);
    // After the pages: an entry written when its first child opens is still
    // the history's innermost open one.
    if (site_.history)
        site_.history->entryOpened(entry);
}

void SiteWriter::openSection(const xrd::Entry& entry)
{
    if (section_) {
        section_->entryOpened(entry);
        return;
    }
    // The global entry encloses the sections: each entry below it starts one.
    if (entry.depth == 0)
        return;
    if (!failures_)
        failures_ = std::make_unique<FailurePages>(site_);
    section_ = std::make_unique<SectionPages>(site_, *failures_);
    if (!section_->begin(entry))
        failed_ = true;
}

void SiteWriter::entryClosed(const xrd::Entry& entry)
{
    closeSection(entry);
    if (site_.history)
        site_.history->entryClosed(entry);
}

void SiteWriter::closeSection(const xrd::Entry& entry)
{
    if (!section_)
        return;
    section_->entryClosed(entry);
    if (entry.depth > section_->rootDepth())
        return;
    const SectionSummary& done = section_->summary();
    failed_ = failed_ || section_->failed();
    index_.totals.passed += done.totals.passed;
    index_.totals.inconclusive += done.totals.inconclusive;
    index_.totals.failed += done.totals.failed;
    index_.sections.push_back(done);
    section_.reset();
}

Result<void> SiteWriter::finish(const std::string& target)
{
    if (!failures_)
        failures_ = std::make_unique<FailurePages>(site_);
    if (!failures_->finish() || failed_)
        return fileError(target, "write error");
    index_.firstFailures = failures_->first();
    index_.failures = failures_->count();
    if (site_.history) {
        if (Result<void> judged = site_.history->finish(index_.totals); !judged)
            return judged;
        std::vector<FlakyItem> flaky = std::move(site_.flaky);
        for (const history::ResultHistory& absent : site_.history->absentFlaky())
            flaky.push_back(
                FlakyItem{history::ResultName{site_.history->namesOf(absent.identity),
                                              site_.history->typeOf(absent.identity), absent.identity.repeat},
                          std::string(), absent});
        appendHistorySections(index_.history, site_.history->trend(), std::move(flaky));
    }
    const bool judged = site_.history && site_.history->judging();
    const std::string css = std::string(htmlReportCss()) + (judged ? htmlHistoryCss() : "");
    const bool written = writeIndex(site_, index_) &&
        writeFile(site_.dir + "/assets/report.css", css.c_str()) &&
        writeFile(site_.dir + "/assets/report.js", htmlReportJs()) &&
        writeFile(site_.dir + "/" + HtmlSiteMarker,
                  "A site written by xrdtool html; the next run replaces this folder whole.\n");
    if (!written)
        return fileError(target, "write error");
    return Result<void>();
}

} // namespace xrdtool
