#include "xrdtool/html/index.h"

#include "xrdtool/html/entry.h"
#include "xrdtool/html/html_text.h"
#include "xrdtool/html/page.h"
#include "xrdtool/html/paged_output.h"

#include <algorithm>

namespace xrdtool {

namespace {

/// The summary counts as data attributes, a list and a bar drawn in SVG
/// (no inline style: widths are attributes).
void appendSummary(std::string& out, const Totals& totals)
{
    const long counts[] = {totals.passed, totals.inconclusive, totals.failed};
    const char* const names[] = {"passed", "inconclusive", "failed"};
    const char* const labels[] = {"Passed", "Inconclusive", "Failed"};
    out += "<section id=\"summary\" data-passed=\"" + std::to_string(totals.passed) +
        "\" data-inconclusive=\"" + std::to_string(totals.inconclusive) + "\" data-failed=\"" +
        std::to_string(totals.failed) + "\" data-total=\"" + std::to_string(totals.total()) +
        "\">\n<h2>Summary</h2>\n<dl>";
    for (int i = 0; i < 3; ++i) {
        out += "<dt>";
        out += labels[i];
        out += "</dt><dd class=\"n-";
        out += names[i];
        out += "\">";
        appendCount(out, static_cast<unsigned long long>(counts[i]));
        out += "</dd>";
    }
    out += "<dt>Total</dt><dd>";
    appendCount(out, static_cast<unsigned long long>(totals.total()));
    out += "</dd></dl>\n";
    out +=
        "<svg class=\"bar\" viewBox=\"0 0 1000 10\" preserveAspectRatio=\"none\" role=\"img\" aria-label=\"";
    out += std::to_string(totals.passed) + " passed, " + std::to_string(totals.inconclusive) +
        " inconclusive, " + std::to_string(totals.failed) + " failed\">";
    const long total = totals.total();
    if (total == 0) {
        out += "<rect class=\"b-none\" x=\"0\" y=\"0\" width=\"1000\" height=\"10\"/>";
    } else {
        long x = 0;
        long sum = 0;
        for (int i = 0; i < 3; ++i) {
            sum += counts[i];
            const long end = static_cast<long>(static_cast<long double>(sum) * 1000 / total);
            if (end > x) {
                out += "<rect class=\"b-";
                out += names[i];
                out += "\" x=\"" + std::to_string(x) + "\" y=\"0\" width=\"" + std::to_string(end - x) +
                    "\" height=\"10\"/>";
            }
            x = end;
        }
    }
    out += "</svg>\n</section>\n";
}

void appendNumberCell(std::string& out, long value)
{
    out += "<td class=\"num\" data-sort=\"" + std::to_string(value) + "\">";
    appendCount(out, static_cast<unsigned long long>(value));
    out += "</td>";
}

/// Failed results first, then sections whose own state failed, then the rest,
/// each group in the report's order.
std::vector<const SectionSummary*> sectionOrder(const std::vector<SectionSummary>& sections)
{
    std::vector<const SectionSummary*> order;
    for (const SectionSummary& s : sections)
        order.push_back(&s);
    const auto rank = [](const SectionSummary* s) {
        return s->totals.failed > 0 ? 0 : s->look.rank == 0 ? 1 : 2;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const SectionSummary* a, const SectionSummary* b) { return rank(a) < rank(b); });
    return order;
}

/// One row of the sections' table.
void appendSectionRow(std::string& out, const SectionSummary& s)
{
    out += "<tr><td data-sort=\"";
    out += std::to_string(s.look.rank);
    out += "\">";
    appendStatusBadge(out, s.look);
    out += "</td><td><a href=\"";
    appendHtml(out, s.href);
    out += "\"><span class=\"type\">";
    appendHtmlName(out, s.type, HtmlShortNameLimit);
    out += "</span> <span class=\"name\">";
    appendHtmlName(out, s.name, HtmlShortNameLimit);
    out += "</span></a></td>";
    appendNumberCell(out, s.totals.failed);
    appendNumberCell(out, s.totals.inconclusive);
    appendNumberCell(out, s.totals.passed);
    appendNumberCell(out, s.totals.total());
    appendNumberCell(out, static_cast<long>(s.pages));
    out += "</tr>\n";
}

void appendFailures(std::string& out, const IndexContent& content)
{
    out += "<section id=\"failures\">\n<h2>Failed results</h2>\n";
    if (content.failures == 0) {
        out += "<p>No result failed. <a href=\"failures.html\">Failures page</a></p>\n</section>\n";
        return;
    }
    if (content.failures > content.firstFailures.size()) {
        out += "<p>The first ";
        appendCount(out, content.firstFailures.size());
        out += " of ";
        appendCount(out, content.failures);
        out += ":</p>\n";
    }
    out += "<ul class=\"failures\">\n";
    for (const std::string& item : content.firstFailures)
        out += item;
    out += "</ul>\n<p><a href=\"failures.html\">All ";
    appendCount(out, content.failures);
    out += content.failures == 1 ? " failed result" : " failed results";
    out += "</a></p>\n</section>\n";
}

} // namespace

void appendInformation(IndexContent& content, const xrd::Table& table, const PathMap& paths)
{
    std::string& out = content.information;
    if (content.informationLeftOut > 0 || out.size() >= HtmlInformationBudget) {
        content.informationLeftOut += table.rows.size();
        return;
    }
    if (!table.heading.empty()) {
        out += "<h3>";
        appendHtmlName(out, table.heading, HtmlShortNameLimit * 8);
        out += "</h3>\n";
    }
    content.informationLeftOut += appendTable(out, table, paths, HtmlInformationBudget);
}

namespace {

const char SectionsTableHead[] =
    "<table class=\"index\">\n<thead><tr><th>Status</th><th>Name</th><th class=\"num\">Failed</th>"
    "<th class=\"num\">Inconclusive</th><th class=\"num\">Passed</th><th class=\"num\">Total</th>"
    "<th class=\"num\">Pages</th></tr></thead>\n<tbody>\n";

/// The index with the first thousand sections, and the pages that list the
/// others (sections-2.html, ...): the top and bottom of each.
class IndexPages : public PagedOutput::Frame {
public:
    IndexPages(const Site& site, const IndexContent& content) : site_(site), content_(content) {}

    void pageTop(std::string& out, std::size_t number, const std::string& previous) override
    {
        if (number > 1) {
            SeriesTop top;
            top.title = "Test drivers and contracts";
            top.bodyClass = "index";
            appendHtmlName(top.reportTitle, site_.title, HtmlShortNameLimit);
            top.heading = top.title;
            appendSeriesTop(out, top, number, previous);
            out += SectionsTableHead;
            return;
        }
        PageHead head;
        appendHtmlName(head.title, site_.title, HtmlShortNameLimit);
        head.title += " \xE2\x80\x93 test report";
        head.bodyClass = "index";
        appendPageHead(out, head);
        out += "<h1>";
        appendHtmlName(out, site_.title, HtmlCellLimit);
        out += "</h1>\n<div id=\"tools\"></div>\n<main>\n";
        appendSummary(out, content_.totals);
        out += content_.history;
        out += "<section id=\"sections\">\n<h2>Test drivers and contracts</h2>\n";
        out += content_.sections.empty() ? "<p>The report holds no test driver.</p>\n" : SectionsTableHead;
    }

    void pageBottom(std::string& out, std::size_t number, const std::string& previous,
                    const std::string& next) override
    {
        const std::size_t rows = content_.sections.size();
        if (rows > 0)
            out += "</tbody>\n</table>\n";
        if (!next.empty()) {
            out += "<p><a href=\"" + next + "\">";
            appendCount(out, rows - number * HtmlSectionsPerPage);
            out += " more</a></p>\n";
        }
        if (number > 1) {
            appendSeriesEnd(out, previous, next);
            return;
        }
        out += "</section>\n";
        appendFailures(out, content_);
        out += "<section id=\"information\">\n<h2>Report information</h2>\n";
        out += content_.information;
        if (content_.informationLeftOut > 0)
            appendRowsLeftOut(out, content_.informationLeftOut);
        out += "</section>\n</main>\n<footer class=\"muted\"><p>Written by xrdtool html from ";
        appendHtmlName(out, site_.reportName, HtmlShortNameLimit);
        out += ".</p></footer>\n";
        appendPageEnd(out);
    }

private:
    const Site& site_;
    const IndexContent& content_;
};

} // namespace

bool writeIndex(const Site& site, const IndexContent& content)
{
    IndexPages frame(site, content);
    PagedOutput pages(site.dir + "/", PageNames("index.html", "sections-", ".html"),
                      PageLimits{HtmlSectionsPerPage, std::size_t(-1)}, frame);
    pages.start();
    std::string row;
    for (const SectionSummary* section : sectionOrder(content.sections)) {
        row.clear();
        appendSectionRow(row, *section);
        pages.makeRoom(row.size(), true, 0);
        pages.add(row, true);
    }
    return pages.finish();
}

} // namespace xrdtool
