#include "xrdtool/html/failures.h"

#include "xrdtool/html/entry.h"
#include "xrdtool/html/html_text.h"

namespace xrdtool {

namespace {

/// Longest name written in a failures list; the result's page has it whole.
constexpr std::size_t ListNameLimit = 1024;

/// Appends one failed result as a list item; `hook` adds data-status="failed"
/// (the failures pages have it, the index has no data-status at all).
void appendFailureItem(std::string& out, const xrd::Entry& entry, const std::string& href,
                       const NamePath& path, const PathMap& paths, bool hook)
{
    out += hook ? "<li data-status=\"failed\">" : "<li>";
    appendStatusBadge(out, resultLook(xrd::ResultStatus::Failed));
    out += " <a href=\"";
    appendHtml(out, href);
    out += "\">";
    appendTypeAndName(out, entry, ListNameLimit);
    out += "</a>";
    appendEntryLocation(out, entry, paths);
    out += "<br><span class=\"path\">";
    appendHtmlPath(out, path);
    out += "</span>";
    const std::string why = firstFailedRow(entry);
    if (!why.empty()) {
        out += "<br><code>";
        appendHtmlName(out, why, ListNameLimit);
        out += "</code>";
    }
    out += "</li>\n";
}

} // namespace

FailurePages::FailurePages(const std::string& dir, const std::string& reportTitle, const PathMap& paths)
    : dir_(dir), reportTitle_(reportTitle), paths_(paths)
{}

std::string FailurePages::pageName(std::size_t page) const
{
    return page <= 1 ? "failures.html" : "failures-" + std::to_string(page) + ".html";
}

void FailurePages::openPage()
{
    ++pageNumber_;
    pageItems_ = 0;
    if (failed_)
        return;
    if (!page_.open(dir_ + "/" + pageName(pageNumber_))) {
        failed_ = true;
        return;
    }
    SeriesTop top;
    top.title = "Failed results";
    top.bodyClass = "failures";
    appendHtmlName(top.reportTitle, reportTitle_, HtmlShortNameLimit);
    top.heading = "Failed results";
    std::string out;
    appendSeriesTop(out, top, pageNumber_, pageNumber_ > 1 ? pageName(pageNumber_ - 1) : std::string());
    out += "<ul class=\"failures\">\n";
    page_.write(out);
}

void FailurePages::closePage(bool last)
{
    if (failed_)
        return;
    std::string out = "</ul>\n";
    if (count_ == 0)
        out += "<p>No result failed.</p>\n";
    appendSeriesEnd(out, pageNumber_ > 1 ? pageName(pageNumber_ - 1) : std::string(),
                    last ? std::string() : pageName(pageNumber_ + 1));
    page_.write(out);
    if (!page_.close())
        failed_ = true;
}

void FailurePages::failedResult(const xrd::Entry& entry, const std::string& href, const NamePath& path)
{
    ++count_;
    if (first_.size() < HtmlIndexFailures) {
        std::string item;
        appendFailureItem(item, entry, href, path, paths_, false);
        first_.push_back(std::move(item));
    }
    item_.clear();
    appendFailureItem(item_, entry, href, path, paths_, true);
    if (pageNumber_ == 0) {
        openPage();
    } else if (pageItems_ >= HtmlPageResultLimit ||
               page_.size() + item_.size() + pageTailReserve(32) > HtmlPageByteLimit) {
        closePage(false);
        openPage();
    }
    if (!failed_)
        page_.write(item_);
    ++pageItems_;
}

bool FailurePages::finish()
{
    if (pageNumber_ == 0)
        openPage();
    closePage(true);
    return !failed_;
}

} // namespace xrdtool
