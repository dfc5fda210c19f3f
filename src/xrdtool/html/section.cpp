#include "xrdtool/html/section.h"

#include "xrdtool/common/file_stem.h"
#include "xrdtool/html/html_text.h"

namespace xrdtool {

namespace {

/// Most bytes of one entry's own tables: with its head, one result always fits a page.
constexpr std::size_t EntryBudget = 1024 * 1024;
/// What closes one nested entry.
const char CloseNested[] = "</div></details>\n";
constexpr std::size_t CloseNestedSize = sizeof CloseNested - 1;

/// The class names of the three ranks, for the wrappers of continued pages.
const char* const RankNames[] = {"failed", "inconclusive", "passed"};

} // namespace

void NameStack::push(const std::string& name)
{
    bytes_ += name;
    ends_.push_back(bytes_.size());
}

void NameStack::pop()
{
    ends_.pop_back();
    bytes_.resize(ends_.empty() ? 0 : ends_.back());
}

std::string NameStack::operator[](std::size_t i) const
{
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return bytes_.substr(begin, ends_[i] - begin);
}

SectionPages::SectionPages(const std::string& dir, const std::string& stem,
                           std::unordered_set<std::string>& stems, const std::string& reportTitle,
                           const PathMap& paths, FailureSink& failures)
    : dir_(dir), stem_(stem), stems_(stems), pageStems_{stem}, reportTitle_(reportTitle), paths_(paths),
      failures_(failures)
{}

std::string SectionPages::pageName(std::size_t page)
{
    // A section named like another's continued page ("a-p2") must not take its file.
    while (pageStems_.size() < page)
        pageStems_.push_back(fileStem(stem_ + "-p" + std::to_string(pageStems_.size() + 1), stems_));
    return pageStems_[page - 1] + ".html";
}

bool SectionPages::begin(const xrd::Entry& root)
{
    root_ = &root;
    rootDepth_ = root.depth;
    summary_.name = keptForDisplay(root.name, HtmlShortNameLimit);
    summary_.type = keptForDisplay(root.type, HtmlShortNameLimit);
    summary_.look = entryLook(root);
    summary_.href = "p/" + pageName(1);
    names_.push(summary_.name);
    types_.push(summary_.type);
    openPage();
    return !failed_;
}

void SectionPages::write(const std::string& text)
{
    if (!failed_)
        page_.write(text);
}

std::size_t SectionPages::openWrappers() const
{
    // Every open entry but the newest has been written: it was written when
    // its first child opened.
    std::size_t written = levels_.size();
    if (written > 0 && !levels_.back().written)
        --written;
    return written < HtmlMaxNesting ? written : HtmlMaxNesting;
}

void SectionPages::openPage()
{
    ++pageNumber_;
    pageResults_ = 0;
    pageHasEntry_ = false;
    if (failed_)
        return;
    if (!page_.open(dir_ + "/p/" + pageName(pageNumber_))) {
        failed_ = true;
        return;
    }
    SeriesTop top;
    appendHtmlName(top.title, root_->type, HtmlShortNameLimit);
    top.title += ' ';
    appendHtmlName(top.title, root_->name, HtmlShortNameLimit);
    top.root = "../";
    top.bodyClass = "section";
    appendHtmlName(top.reportTitle, reportTitle_, HtmlShortNameLimit);
    appendStatusBadge(top.heading, summary_.look);
    top.heading += " <span class=\"type\">";
    appendHtmlName(top.heading, root_->type, HtmlShortNameLimit);
    top.heading += "</span> ";
    appendHtmlName(top.heading, root_->name, HtmlShortNameLimit);
    top.crumbsTail = " \xE2\x80\xBA <a href=\"../failures.html\">all failures</a>";
    std::string out;
    appendSeriesTop(out, top, pageNumber_, pageNumber_ > 1 ? pageName(pageNumber_ - 1) : std::string());
    // The open entries around the next one, so that it keeps its place in the tree.
    for (std::size_t i = 0, n = openWrappers(); i < n; ++i) {
        out += "<details class=\"entry s-";
        out += RankNames[levels_[i].rank];
        out += "\" open><summary><span class=\"continued\">continued:</span> <span class=\"type\">";
        appendHtmlName(out, types_[i + 1], HtmlShortNameLimit);
        out += "</span> ";
        appendHtmlName(out, names_[i + 1], HtmlShortNameLimit);
        out += "</summary><div class=\"body\">\n";
    }
    page_.write(out);
}

void SectionPages::closePage(bool last)
{
    if (failed_)
        return;
    std::string out;
    for (std::size_t i = 0, n = openWrappers(); i < n; ++i)
        out += CloseNested;
    appendSeriesEnd(out, pageNumber_ > 1 ? pageName(pageNumber_ - 1) : std::string(),
                    last ? std::string() : pageName(pageNumber_ + 1));
    page_.write(out);
    if (!page_.close())
        failed_ = true;
}

void SectionPages::makeRoom(std::size_t bytes, bool counted)
{
    if (!pageHasEntry_)
        return;
    // The wrappers open now, and the one the new entry may open.
    const std::size_t reserve = (openWrappers() + 1) * CloseNestedSize + pageTailReserve(stem_.size() + 24);
    const bool full = page_.size() + bytes + reserve > HtmlPageByteLimit;
    if (full || (counted && pageResults_ >= HtmlPageResultLimit)) {
        closePage(false);
        openPage();
    }
}

void SectionPages::writeRootContent()
{
    rootWritten_ = true;
    chunk_.clear();
    appendEntryTables(chunk_, *root_, paths_, EntryBudget);
    write(chunk_);
}

void SectionPages::writeEntry(const xrd::Entry& entry, std::size_t index)
{
    Level& level = levels_[index];
    const StatusLook look = entryLook(entry);
    chunk_.clear();
    chunk_ += level.flat ? "<section class=\"flat s-" : "<details class=\"entry s-";
    chunk_ += look.name;
    chunk_ += "\" id=\"e" + std::to_string(level.id) + '"';
    if (!level.flat && look.open())
        chunk_ += " open";
    if (entry.counted) {
        chunk_ += " data-status=\"";
        chunk_ += look.name;
        chunk_ += '"';
    }
    chunk_ += level.flat ? "><p class=\"head\">" : "><summary>";
    appendStatusBadge(chunk_, look);
    chunk_ += ' ';
    appendTypeAndName(chunk_, entry, HtmlCellLimit);
    appendEntryLocation(chunk_, entry, paths_);
    if (level.flat) {
        chunk_ += "</p>\n<p class=\"path\">";
        appendHtmlPath(chunk_, NamePath{names_, index + 1});
        chunk_ += " (depth ";
        appendCount(chunk_, index + 1);
        chunk_ += ")</p>\n";
    } else {
        chunk_ += "</summary>\n<div class=\"body\">\n";
    }
    appendEntryTables(chunk_, entry, paths_, EntryBudget);
    if (level.flat)
        chunk_ += "</section>\n";
    makeRoom(chunk_.size(), entry.counted);
    write(chunk_);
    level.written = true;
    pageHasEntry_ = true;
    if (!entry.counted)
        return;
    ++pageResults_;
    // Counted here, in document order, where the result's page is known.
    const xrd::ResultStatus status = entry.status();
    summary_.totals.add(status);
    if (status == xrd::ResultStatus::Failed) {
        const std::string href = "p/" + pageName(pageNumber_) + "#e" + std::to_string(level.id);
        failures_.failedResult(entry, href, NamePath{names_, index + 1});
    }
}

void SectionPages::entryOpened(const xrd::Entry& entry)
{
    if (!rootWritten_)
        writeRootContent();
    if (!levels_.empty() && !levels_.back().written && entry.parent)
        writeEntry(*entry.parent, levels_.size() - 1);
    Level level;
    level.id = nextId_++;
    level.rank = std::uint8_t(entryLook(entry).rank);
    level.flat = levels_.size() >= HtmlMaxNesting;
    levels_.push_back(level);
    names_.push(keptForDisplay(entry.name, HtmlShortNameLimit));
    types_.push(keptForDisplay(entry.type, HtmlShortNameLimit));
}

void SectionPages::entryClosed(const xrd::Entry& entry)
{
    if (entry.depth <= rootDepth_) {
        if (!rootWritten_)
            writeRootContent();
        closePage(true);
        summary_.pages = pageNumber_;
        return;
    }
    const std::size_t index = levels_.size() - 1;
    if (!levels_[index].written)
        writeEntry(entry, index);
    if (!levels_[index].flat)
        write(CloseNested);
    levels_.pop_back();
    names_.pop();
    types_.pop();
}

} // namespace xrdtool
