#include "xrdtool/html_failures.h"

#include "xrdtool/html_entry.h"
#include "xrdtool/html_text.h"

namespace xrdtool {

namespace {

/// Longest name written in a failures list; the result's page has it whole.
constexpr std::size_t ListNameLimit = 1024;

} // namespace

void appendFailureItem(std::string& out, const xrd::Entry& entry, const std::string& href,
                       const NamePath& path, const PathMap& paths, bool hook)
{
    out += hook ? "<li data-status=\"failed\">" : "<li>";
    appendStatusBadge(out, resultLook(xrd::ResultStatus::Failed));
    out += " <a href=\"";
    appendHtml(out, href);
    out += "\"><span class=\"type\">";
    appendHtmlName(out, entry.type, HtmlShortNameLimit);
    out += "</span> <span class=\"name\">";
    appendHtmlName(out, entry.name, ListNameLimit);
    out += "</span></a>";
    if (entry.location) {
        out += " <span class=\"loc\">";
        appendLocation(out, *entry.location, paths);
        out += "</span>";
    }
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

FailurePages::FailurePages(const std::string& dir, const std::string& reportTitle, const PathMap& paths)
    : dir_(dir), reportTitle_(reportTitle), paths_(paths)
{
}

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
    std::string out;
    PageHead head;
    head.title = "Failed results";
    if (pageNumber_ > 1)
        head.title += " (page " + std::to_string(pageNumber_) + ")";
    head.title += " \xE2\x80\x93 ";
    appendHtmlName(head.title, reportTitle_, HtmlShortNameLimit);
    head.bodyClass = "failures";
    appendPageHead(out, head);
    out += "<nav class=\"crumbs\" aria-label=\"breadcrumbs\"><a href=\"index.html\">";
    appendHtmlName(out, reportTitle_, HtmlShortNameLimit);
    out += "</a> \xE2\x80\xBA failed results";
    if (pageNumber_ > 1)
        out += " \xE2\x80\xBA page " + std::to_string(pageNumber_);
    out += "</nav>\n<h1>Failed results";
    if (pageNumber_ > 1)
        out += " <span class=\"muted\">(page " + std::to_string(pageNumber_) + ")</span>";
    out += "</h1>\n";
    appendPager(out, pageNumber_ > 1 ? pageName(pageNumber_ - 1) : std::string(), std::string());
    out += "<div id=\"tools\"></div>\n<main>\n<ul class=\"failures\">\n";
    page_.write(out);
}

void FailurePages::closePage(bool last)
{
    if (failed_)
        return;
    std::string out = "</ul>\n";
    if (count_ == 0)
        out += "<p>No result failed.</p>\n";
    out += "</main>\n";
    appendPager(out, pageNumber_ > 1 ? pageName(pageNumber_ - 1) : std::string(),
                last ? std::string() : pageName(pageNumber_ + 1));
    appendPageEnd(out);
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
