// Reads the report once and writes the site as it goes: one set of pages per
// test driver and for the contracts section, the failures pages, then the
// index, the assets and the marker.

#include "xrdtool/html/site.h"

#include "xrdtool/common/file_stem.h"
#include "xrdtool/html/assets.h"
#include "xrdtool/html/html_text.h"
#include "xrdtool/html/page.h"

#include <cstdio>
#include <cstring>

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

SiteWriter::SiteWriter(const std::string& dir, const std::string& reportName, const PathMap& paths)
    : dir_(dir), paths_(paths)
{
    index_.title = keptForDisplay(reportName, HtmlCellLimit);
    index_.reportName = index_.title;
}

void SiteWriter::documentTitle(const std::string& title)
{
    if (!titleSeen_ && !title.empty())
        index_.title = keptForDisplay(title, HtmlCellLimit);
    titleSeen_ = true;
}

void SiteWriter::infoTable(const xrd::Table& table)
{
    appendInformation(index_, table, paths_);
}

void SiteWriter::entryOpened(const xrd::Entry& entry)
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

void SiteWriter::entryClosed(const xrd::Entry& entry)
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

bool SiteWriter::finish()
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
    return writeFile(dir_ + "/assets/report.css", htmlReportCss()) &&
        writeFile(dir_ + "/assets/report.js", htmlReportJs()) &&
        writeFile(dir_ + "/" + HtmlSiteMarker,
                  "A site written by xrdtool html; the next run replaces this folder whole.\n");
}

} // namespace xrdtool
