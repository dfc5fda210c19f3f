#include "xrdtool/html/history_view.h"

#include "xrdtool/history/run_time.h"
#include "xrdtool/html/html_text.h"

#include <algorithm>

namespace xrdtool {

namespace {

using history::StoredStatus;

/// The glyph of a status in a strip; the strip's title says what they mean.
const char* glyph(StoredStatus status)
{
    switch (status) {
    case StoredStatus::Passed: return "\xE2\x9C\x93"; // ✓
    case StoredStatus::Failed: return "\xE2\x9C\x97"; // ✗
    case StoredStatus::Inconclusive: return "?";
    case StoredStatus::Absent: break;
    }
    return "\xC2\xB7"; // ·
}

void appendStrip(std::string& out, const std::vector<StoredStatus>& recent)
{
    out += "<span class=\"strip\" title=\"the last ";
    out += std::to_string(recent.size());
    out +=
        " runs, oldest first: \xE2\x9C\x93 passed, \xE2\x9C\x97 failed, ? inconclusive, \xC2\xB7 absent\">";
    for (const StoredStatus status : recent)
        out += glyph(status);
    out += "</span>";
}

void appendFlakyBadge(std::string& out, const history::ResultHistory& judged)
{
    out += "<span class=\"flaky-badge\" title=\"";
    out += std::to_string(judged.flips);
    out += " flips in the last " + std::to_string(judged.recent.size()) + " runs";
    if (judged.sameRevision)
        out += "; passed and failed in one revision";
    out += "\">flaky</span>";
}

/// The trend as stacked bars, one group per run: failed at the bottom, then
/// inconclusive, then passed, in a box whose height is the largest total.
void appendTrend(std::string& out, const std::vector<history::TrendPoint>& trend)
{
    constexpr long Width = 20;
    constexpr long Height = 100;
    std::int64_t largest = 1;
    for (const history::TrendPoint& point : trend)
        largest = std::max(largest, point.passed + point.inconclusive + point.failed);
    out += "<section id=\"history\">\n<h2>Trend of the last ";
    out += std::to_string(trend.size());
    out += " runs</h2>\n<svg id=\"trend\" class=\"trend\" viewBox=\"0 0 ";
    out += std::to_string(Width * long(trend.size())) + " " + std::to_string(Height);
    out += "\" preserveAspectRatio=\"none\" role=\"img\" aria-label=\"passed, inconclusive and failed "
           "results of "
           "the last ";
    out += std::to_string(trend.size()) + " runs, oldest first\">";
    for (std::size_t i = 0; i < trend.size(); ++i) {
        const history::TrendPoint& point = trend[i];
        out += "<g class=\"run\" data-run=\"";
        appendHtml(out, point.run);
        out += "\"><title>";
        appendHtml(out, point.run);
        out += ", " + history::formatUtc(point.at) + ": " + std::to_string(point.passed) + " passed, " +
            std::to_string(point.inconclusive) + " inconclusive, " + std::to_string(point.failed) + " failed";
        out += "</title>";
        const std::int64_t counts[] = {point.failed, point.inconclusive, point.passed};
        const char* const names[] = {"failed", "inconclusive", "passed"};
        std::int64_t below = 0;
        for (int k = 0; k < 3; ++k) {
            const long bottom = long(Height - below * Height / largest);
            below += counts[k];
            const long top = long(Height - below * Height / largest);
            if (bottom <= top)
                continue;
            out += "<rect class=\"t-";
            out += names[k];
            out += "\" x=\"" + std::to_string(long(i) * Width + 2) + "\" y=\"" + std::to_string(top) +
                "\" width=\"" + std::to_string(Width - 4) + "\" height=\"" + std::to_string(bottom - top) +
                "\"/>";
        }
        out += "</g>";
    }
    out += "</svg>\n<p class=\"muted\">From ";
    appendHtmlName(out, trend.front().run, HtmlShortNameLimit);
    out += " (" + history::formatUtc(trend.front().at) + ") to this report, ";
    appendHtmlName(out, trend.back().run, HtmlShortNameLimit);
    out += " (" + history::formatUtc(trend.back().at) +
        "): <span class=\"key t-failed\">failed</span> at the bottom, then <span class=\"key "
        "t-inconclusive\">inconclusive</span> and <span class=\"key t-passed\">passed</span>.</p>\n";
}

void appendFlakyItem(std::string& out, const FlakyItem& item)
{
    const history::ResultHistory& judged = item.history;
    out += "<li data-flips=\"" + std::to_string(judged.flips) + "\">";
    appendFlakyBadge(out, judged);
    out += ' ';
    if (!item.href.empty()) {
        out += "<a href=\"";
        appendHtml(out, item.href);
        out += "\">";
    }
    out += "<span class=\"type\">";
    appendHtmlName(out, item.name.type, HtmlShortNameLimit);
    out += "</span> <span class=\"name\">";
    appendHtmlName(out, item.name.path.empty() ? std::string() : item.name.path.back(), HtmlShortNameLimit);
    out += "</span>";
    if (!item.href.empty())
        out += "</a>";
    if (item.name.repeat > 1)
        out += " (" + std::to_string(item.name.repeat) + ")";
    out += "<br><span class=\"path\">";
    appendHtmlPath(out, item.name.path);
    out += "</span><br>";
    std::int64_t passed = 0, failed = 0;
    for (const StoredStatus status : judged.recent) {
        passed += status == StoredStatus::Passed;
        failed += status == StoredStatus::Failed;
    }
    out += std::to_string(judged.flips) + " flips: " + std::to_string(passed) + " passed, " +
        std::to_string(failed) + " failed in the last " + std::to_string(judged.recent.size()) + " runs";
    if (item.href.empty())
        out += ", not in this report";
    out += ' ';
    appendStrip(out, judged.recent);
    out += "</li>\n";
}

} // namespace

void appendStreakAttribute(std::string& out, const history::ResultHistory& judged, bool failed)
{
    if (failed)
        out += " data-streak=\"" + std::to_string(judged.streak) + '"';
}

void appendHistoryNote(std::string& out, const history::ResultHistory& judged)
{
    out += " <span class=\"note\">(";
    appendHtml(out, history::noteWords(judged));
    out += ")</span>";
}

void appendResultHistory(std::string& out, const history::ResultHistory& judged, bool failed)
{
    if (judged.flaky) {
        out += ' ';
        appendFlakyBadge(out, judged);
    }
    if (failed)
        appendHistoryNote(out, judged);
    out += ' ';
    appendStrip(out, judged.recent);
}

void appendHistorySections(std::string& out, const std::vector<history::TrendPoint>& trend,
                           std::vector<FlakyItem> flaky)
{
    if (trend.empty())
        return;
    appendTrend(out, trend);
    // As `history flaky` lists them: most flips first, then path name by
    // name as bytes, type and repeat number.
    std::sort(flaky.begin(), flaky.end(), [](const FlakyItem& l, const FlakyItem& r) {
        if (l.history.flips != r.history.flips)
            return l.history.flips > r.history.flips;
        return history::nameLess(l.name, r.name);
    });
    out += "<h2>Flaky results</h2>\n";
    if (flaky.empty())
        out += "<p>No result flipped between passed and failed 3 times or more in these runs.</p>\n";
    else if (flaky.size() > HtmlIndexFlaky)
        out += "<p>The " + std::to_string(HtmlIndexFlaky) + " with the most flips of " +
            std::to_string(flaky.size()) + ":</p>\n";
    out += "<ul id=\"flaky\" class=\"flaky\">\n";
    for (std::size_t i = 0; i < flaky.size() && i < HtmlIndexFlaky; ++i)
        appendFlakyItem(out, flaky[i]);
    out += "</ul>\n</section>\n";
}

} // namespace xrdtool
