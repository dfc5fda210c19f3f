#include "xrdtool/html/failures.h"

#include "xrdtool/html/entry.h"
#include "xrdtool/html/history_view.h"
#include "xrdtool/html/html_text.h"

namespace xrdtool {

namespace {

/// Longest name written in a failures list; the result's page has it whole.
constexpr std::size_t ListNameLimit = 1024;

/// Appends one failed result as a list item; `hook` adds data-status="failed"
/// (the failures pages have it, the index has no data-status at all).
void appendFailureItem(std::string& out, const xrd::Entry& entry, const std::string& href,
                       const NamePath& path, const PathMap& paths, bool hook,
                       const history::ResultHistory* judged)
{
    out += hook ? "<li data-status=\"failed\"" : "<li";
    if (judged)
        appendStreakAttribute(out, *judged, true);
    out += '>';
    appendStatusBadge(out, resultLook(xrd::ResultStatus::Failed));
    out += " <a href=\"";
    appendHtml(out, href);
    out += "\">";
    appendTypeAndName(out, entry, ListNameLimit);
    out += "</a>";
    appendEntryLocation(out, entry, paths);
    if (judged)
        appendHistoryNote(out, *judged);
    // Path and first failed row go on lines of their own by the style sheet,
    // not by extra elements.
    out += " <span class=\"path\">";
    appendHtmlPath(out, path);
    out += "</span>";
    const std::string why = firstFailedRow(entry);
    if (!why.empty()) {
        out += " <code>";
        appendHtmlName(out, why, ListNameLimit);
        out += "</code>";
    }
    out += "</li>\n";
}

} // namespace

FailurePages::FailurePages(const Site& site)
    : paths_(site.paths), reportTitle_(site.title),
      pages_(site.dir + "/", PageNames("failures.html", "failures-", ".html"),
             PageLimits{HtmlPageResultLimit, HtmlPageByteLimit, HtmlPageElementLimit}, *this)
{}

void FailurePages::pageTop(std::string& out, std::size_t number, const std::string& previous)
{
    SeriesTop top;
    top.title = "Failed results";
    top.bodyClass = "failures";
    appendHtmlName(top.reportTitle, reportTitle_, HtmlShortNameLimit);
    top.heading = "Failed results";
    appendSeriesTop(out, top, number, previous);
    out += "<ul class=\"failures\">\n";
}

void FailurePages::pageBottom(std::string& out, std::size_t, const std::string& previous,
                              const std::string& next)
{
    out += "</ul>\n";
    if (count_ == 0)
        out += "<p>No result failed.</p>\n";
    appendSeriesEnd(out, previous, next);
}

void FailurePages::failedResult(const xrd::Entry& entry, const std::string& href, const NamePath& path,
                                const history::ResultHistory* judged)
{
    ++count_;
    if (first_.size() < HtmlIndexFailures) {
        std::string item;
        appendFailureItem(item, entry, href, path, paths_, false, judged);
        first_.push_back(std::move(item));
    }
    item_.clear();
    appendFailureItem(item_, entry, href, path, paths_, true, judged);
    pages_.start();
    const std::size_t elements = countElements(item_);
    pages_.makeRoom(item_.size(), true, pageTailReserve(32), elements);
    pages_.add(item_, true, elements);
}

bool FailurePages::finish()
{
    return pages_.finish();
}

} // namespace xrdtool
