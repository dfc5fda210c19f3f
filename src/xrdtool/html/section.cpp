#include "xrdtool/html/section.h"

#include "xrdtool/common/file_stem.h"
#include "xrdtool/html/history_view.h"
#include "xrdtool/html/html_text.h"

namespace xrdtool {

namespace {

/// What closes one nested entry.
const char CloseNested[] = "</details>\n";
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

SectionPages::SectionPages(Site& site, FailureSink& failures)
    : site_(site), reportTitle_(site.title), failures_(failures)
{}

bool SectionPages::begin(const xrd::Entry& root)
{
    root_ = &root;
    rootDepth_ = root.depth;
    stem_ = fileStem(root.name, site_.stems);
    pages_.emplace(site_.dir + "/p/", PageNames(stem_, site_.stems),
                   PageLimits{HtmlPageResultLimit, HtmlPageByteLimit, HtmlPageElementLimit},
                   static_cast<PagedOutput::Frame&>(*this));
    summary_.name = keptForDisplay(root.name, HtmlShortNameLimit);
    summary_.type = keptForDisplay(root.type, HtmlShortNameLimit);
    summary_.look = entryLook(root);
    summary_.href = "p/" + pages_->pageName(1);
    names_.push(summary_.name);
    types_.push(summary_.type);
    pages_->start();
    return !pages_->failed();
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

void SectionPages::pageTop(std::string& out, std::size_t number, const std::string& previous)
{
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
    appendSeriesTop(out, top, number, previous);
    // The open entries around the next one, so that it keeps its place in the tree.
    for (std::size_t i = 0, n = openWrappers(); i < n; ++i) {
        out += "<details class=\"entry s-";
        out += RankNames[levels_[i].rank];
        out += "\" open><summary><span class=\"continued\">continued:</span> <span class=\"type\">";
        appendHtmlName(out, types_[i + 1], HtmlShortNameLimit);
        out += "</span> ";
        appendHtmlName(out, names_[i + 1], HtmlShortNameLimit);
        out += "</summary>\n";
    }
}

void SectionPages::pageBottom(std::string& out, std::size_t, const std::string& previous,
                              const std::string& next)
{
    for (std::size_t i = 0, n = openWrappers(); i < n; ++i)
        out += CloseNested;
    appendSeriesEnd(out, previous, next);
}

void SectionPages::writeRootContent()
{
    rootWritten_ = true;
    chunk_.clear();
    appendEntryTables(chunk_, *root_, site_.paths, HtmlEntryBudget);
    pages_->write(chunk_);
}

void SectionPages::writeEntry(const xrd::Entry& entry, std::size_t index)
{
    Level& level = levels_[index];
    const StatusLook look = entryLook(entry);
    // With --history, what it says of this result (the entry being written is
    // the history's innermost open one).
    const history::ResultHistory* judged = entry.counted && site_.history ? site_.history->judged() : nullptr;
    const bool failed = entry.counted && entry.status() == xrd::ResultStatus::Failed;
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
    if (judged)
        appendStreakAttribute(chunk_, *judged, failed);
    chunk_ += level.flat ? "><p class=\"head\">" : "><summary>";
    appendStatusBadge(chunk_, look);
    chunk_ += ' ';
    appendTypeAndName(chunk_, entry, HtmlCellLimit);
    appendEntryLocation(chunk_, entry, site_.paths);
    if (judged)
        appendResultHistory(chunk_, *judged, failed);
    if (level.flat) {
        chunk_ += "</p>\n<p class=\"path\">";
        appendHtmlPath(chunk_, NamePath{names_, index + 1});
        chunk_ += " (depth ";
        appendCount(chunk_, index + 1);
        chunk_ += ")</p>\n";
    } else {
        chunk_ += "</summary>\n";
    }
    appendEntryTables(chunk_, entry, site_.paths, HtmlEntryBudget);
    if (level.flat)
        chunk_ += "</section>\n";
    // The wrappers open now, and the one the new entry may open.
    const std::size_t reserve = (openWrappers() + 1) * CloseNestedSize + pageTailReserve(stem_.size() + 24);
    const std::size_t elements = countElements(chunk_);
    pages_->makeRoom(chunk_.size(), entry.counted, reserve, elements);
    pages_->add(chunk_, entry.counted, elements);
    level.written = true;
    if (!entry.counted)
        return;
    // Counted here, in document order, where the result's page is known.
    summary_.totals.add(entry.status());
    if (!failed && !(judged && judged->flaky))
        return;
    const std::string href = "p/" + pages_->pageName(pages_->pageNumber()) + "#e" + std::to_string(level.id);
    if (failed)
        failures_.failedResult(entry, href, NamePath{names_, index + 1}, judged);
    if (judged && judged->flaky) {
        const ResultIdentity& identity = judged->identity;
        site_.flaky.push_back(FlakyItem{history::ResultName{site_.history->namesOf(identity),
                                                            site_.history->typeOf(identity), identity.repeat},
                                        href, *judged});
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
        pages_->finish();
        summary_.pages = pages_->pageNumber();
        return;
    }
    const std::size_t index = levels_.size() - 1;
    if (!levels_[index].written)
        writeEntry(entry, index);
    if (!levels_[index].flat)
        pages_->write(CloseNested);
    levels_.pop_back();
    names_.pop();
    types_.pop();
}

} // namespace xrdtool
