// The pages of one section, fed with hand-made reader events: continued pages
// at 5,000 results and at 2 MiB, stable anchors that the failures point to,
// one result's tables never split, and flat listing below depth 64.
#include "xrdtool/html/section.h"

#include "site_fixture.h"
#include "xrdtool/common/path_map.h"
#include "xrdtool/html/page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace xrdtool {
namespace {

using test::Events;
using test::readFile;
using test::scanPage;
using xrd::EntryState;

/// Collects what the section reports as failed.
struct Failures : FailureSink {
    struct Item {
        std::string name, href, path;
    };
    std::vector<Item> items;
    void failedResult(const xrd::Entry& entry, const std::string& href, const NamePath& path,
                      const history::ResultHistory*) override
    {
        std::string joined;
        for (std::size_t i = 0; i < path.size(); ++i)
            joined += (i ? "/" : "") + path[i];
        items.push_back({entry.name, href, joined});
    }
};

class SectionPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir.path().empty());
        std::filesystem::create_directory(dir.path() + "/p");
    }

    /// Events into a SectionPages for the driver "drv" (depth 1 under a global entry).
    void run(const std::function<void(Events&)>& body)
    {
        site.title = "Report";
        SectionPages pages(site, failures);
        Events events([&](const xrd::Entry& entry, bool opened) {
            if (entry.depth == 0)
                return;
            if (entry.depth == 1 && opened)
                ASSERT_TRUE(pages.begin(entry));
            else if (opened)
                pages.entryOpened(entry);
            else
                pages.entryClosed(entry);
        });
        events.open("Global Report", "Global Report", EntryState::Failed, false);
        events.open("drv", "Test Driver", EntryState::Failed, false);
        body(events);
        events.close();
        events.close();
        EXPECT_FALSE(pages.failed());
        summary = pages.summary();
    }

    std::string page(std::size_t n) const
    {
        return readFile(dir.path() + "/p/drv" + (n == 1 ? std::string() : "-p" + std::to_string(n)) +
                        ".html");
    }

    test::ScratchDir dir;
    PathMap paths;
    Site site{dir.path(), paths};
    Failures failures;
    SectionSummary summary;
};

TEST_F(SectionPagesTest, ManyResultsContinueEveryFiveThousandWithTheirAncestorsReopened)
{
    run([](Events& e) {
        e.open("suite", "Test Suite", EntryState::Failed, false);
        // Results without tables: the count, not the size, ends these pages.
        for (int i = 0; i < 12001; ++i) {
            e.open("case" + std::to_string(i), "Test Case",
                   i % 1000 == 7 ? EntryState::Failed : EntryState::Passed, true);
            e.close();
        }
        e.close();
    });
    ASSERT_EQ(summary.pages, 3u);
    EXPECT_EQ(summary.totals.total(), 12001);
    EXPECT_EQ(summary.totals.failed, 12);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/p/drv-p4.html"));
    std::size_t results = 0;
    std::set<std::string> ids;
    for (std::size_t n = 1; n <= 3; ++n) {
        const std::string html = page(n);
        const test::PageScan scan = scanPage(html);
        EXPECT_LE(scan.results, HtmlPageResultLimit);
        results += scan.results;
        for (const std::string& id : scan.ids) {
            if (id[0] == 'e') {
                EXPECT_TRUE(ids.insert(id).second) << "entry " << id << " on two pages";
            }
        }
        // The suite is open around the results on every page, once.
        EXPECT_EQ(test::occurrences(html, "Test Suite</span> "), 1u) << n;
        EXPECT_EQ(test::occurrences(html, "<details"), test::occurrences(html, "</details>")) << n;
        EXPECT_EQ(html.find("rel=\"prev\"") != std::string::npos, n > 1) << n;
        EXPECT_EQ(html.find("rel=\"next\"") != std::string::npos, n < 3) << n;
    }
    EXPECT_EQ(results, 12001u);
    EXPECT_NE(page(2).find("continued:"), std::string::npos);
    EXPECT_NE(page(2).find("href=\"drv.html\""), std::string::npos);
    EXPECT_NE(page(2).find("href=\"drv-p3.html\""), std::string::npos);

    // Every failure points to the page that holds its anchor.
    ASSERT_EQ(failures.items.size(), 12u);
    for (const auto& item : failures.items) {
        const std::size_t hash = item.href.find('#');
        ASSERT_NE(hash, std::string::npos);
        const std::string html = readFile(dir.path() + "/" + item.href.substr(0, hash));
        const std::string anchor = "id=\"" + item.href.substr(hash + 1) + "\"";
        const std::size_t at = html.find(anchor);
        ASSERT_NE(at, std::string::npos) << item.href;
        EXPECT_NE(html.find(item.name + "</span>", at), std::string::npos);
        EXPECT_EQ(item.path, "drv/suite");
    }
    EXPECT_EQ(failures.items.back().href, "p/drv-p3.html#e11009") << "case11007 after the suite e1";
}

TEST_F(SectionPagesTest, ContinuedPagesNeverTakeTheFileOfASectionNamedLikeThem)
{
    site.stems.insert("drv-p2"); // a driver named "drv-p2" came first
    run([](Events& e) {
        for (int i = 0; i < 5001; ++i) {
            e.open("case" + std::to_string(i), "Test Case", EntryState::Passed, true);
            e.close();
        }
    });
    ASSERT_EQ(summary.pages, 2u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/p/drv-p2.html"));
    EXPECT_EQ(scanPage(readFile(dir.path() + "/p/drv-p2-2.html")).results, 1u);
    EXPECT_NE(page(1).find("rel=\"next\" href=\"drv-p2-2.html\""), std::string::npos);
    EXPECT_EQ(site.stems.count("drv-p2-2"), 1u) << "a later driver named so gets another name";
}

TEST_F(SectionPagesTest, LargeResultsContinueBeforeTwoMebibytesWithoutSplittingTheirTables)
{
    const std::string text(20000, 'x');
    run([&](Events& e) {
        for (int i = 0; i < 40; ++i) {
            e.open("big" + std::to_string(i), "Test Case", EntryState::Passed, true);
            e.table(12, 1, text); // about 240 KB of rows
            e.close();
        }
    });
    EXPECT_GE(summary.pages, 5u);
    for (std::size_t n = 1; n <= summary.pages; ++n) {
        const std::string html = page(n);
        EXPECT_LE(html.size(), HtmlPageByteLimit) << n;
        // Each result on the page brings all its twelve rows.
        EXPECT_EQ(test::occurrences(html, "<tr"), 12 * scanPage(html).results) << n;
    }
}

TEST_F(SectionPagesTest, ManyRowsContinueBeforeTheElementLimitWithOneTablePerResult)
{
    // Each result: a results table of 30 rows of 5 cells and a comment row,
    // about 200 elements; 600 of them pass the element limit well before
    // 5,000 results or 2 MiB.
    run([](Events& e) {
        e.open("suite", "Test Suite", EntryState::Passed, false);
        for (int i = 0; i < 600; ++i) {
            e.open("case" + std::to_string(i), "Test Case", EntryState::Passed, true);
            e.table(30, 5, "v" + std::to_string(i));
            e.table(1, 2, "note");
            e.close();
        }
        e.close();
    });
    ASSERT_GE(summary.pages, 3u);
    std::size_t results = 0;
    for (std::size_t n = 1; n <= summary.pages; ++n) {
        const std::string html = page(n);
        const test::PageScan scan = scanPage(html);
        EXPECT_LE(countElements(html), HtmlPageElementLimit) << n;
        if (n < summary.pages)
            EXPECT_GT(countElements(html), HtmlPageElementLimit * 9 / 10)
                << "only the last page is short " << n;
        EXPECT_EQ(test::occurrences(html, "<table"), scan.results) << n;
        EXPECT_EQ(test::occurrences(html, "data-status="), scan.results) << n;
        // The comment row's second cell spans the four columns it lacks.
        EXPECT_EQ(test::occurrences(html, "<td colspan=\"4\">note</td>"), scan.results) << n;
        results += scan.results;
    }
    EXPECT_EQ(results, 600u);
}

TEST_F(SectionPagesTest, RowsTakeTheColourTheirCellsShareAndTracesTheirOwnClass)
{
    const auto cell = [](const std::string& text, const std::string& style) {
        xrd::Cell c;
        c.text = text;
        c.style = style;
        return c;
    };
    run([&](Events& e) {
        xrd::Entry& entry = e.open("mixed", "Test Case", EntryState::Failed, true);
        xrd::Table results;
        results.width = "40,15,15,15,15";
        xrd::Row title;
        title.style = "Array Title";
        title.cells = {cell("Expression", "Array Title"), cell("Status", "Array Title")};
        xrd::Row failed;
        failed.cells = {cell("x == 1", "Array Failed"), cell("Failed", "Array Failed"),
                        cell("3", "Array Failed")};
        xrd::Row mixed;
        mixed.cells = {cell("y", "Array Passed"), cell("Failed", "Array Failed"), cell("12", "Array")};
        results.rows = {title, failed, mixed};
        xrd::Table trace;
        trace.width = "5,95";
        xrd::Row line;
        line.cells = {cell("", "Array"), cell("at x = 2", "Array")};
        trace.rows = {line};
        entry.tables = {results, trace};
        e.close();
    });
    const std::string html = page(1);
    EXPECT_NE(
        html.find("<table class=\"data\"><tbody>\n<tr><th>Expression</th><th colspan=\"2\">Status</th></tr>\n"
                  "<tr class=\"r-failed\"><td>x == 1</td><td>Failed</td><td class=\"num\">3</td></tr>\n"
                  "<tr><td class=\"c-passed\">y</td><td class=\"c-failed\">Failed</td><td "
                  "class=\"num\">12</td></tr>\n"
                  "<tr class=\"trace\"><td></td><td colspan=\"2\">at x = 2</td></tr>\n</tbody></table>\n"),
        std::string::npos)
        << html;
}

TEST_F(SectionPagesTest, OneHugeResultKeepsItsPageUnderTheLimitAndSaysWhatItLeftOut)
{
    run([&](Events& e) {
        e.open("before", "Test Case", EntryState::Passed, true);
        e.table(20, 1, std::string(60000, 'b'));
        e.close();
        e.open("huge", "Test Case", EntryState::Failed, true);
        e.table(400, 1, std::string(60000, 'y'), true);
        e.close();
        e.result("after", EntryState::Passed);
    });
    ASSERT_EQ(summary.pages, 2u);
    const std::string second = page(2);
    EXPECT_LE(page(1).size(), HtmlPageByteLimit);
    EXPECT_LE(second.size(), HtmlPageByteLimit);
    EXPECT_NE(second.find("huge</span>"), std::string::npos);
    EXPECT_NE(second.find("more rows not shown"), std::string::npos);
    EXPECT_EQ(scanPage(page(1)).results + scanPage(second).results, 3u);
}

TEST_F(SectionPagesTest, EntriesBelowDepthSixtyFourAreListedFlatWithTheirPath)
{
    run([](Events& e) {
        for (int i = 1; i <= 100; ++i)
            e.open("level" + std::to_string(i), "Test Suite", EntryState::Failed, false);
        e.result("bottom", EntryState::Failed);
        for (int i = 1; i <= 100; ++i)
            e.close();
    });
    const std::string html = page(1);
    const test::PageScan scan = scanPage(html);
    EXPECT_EQ(scan.maxNesting, HtmlMaxNesting);
    EXPECT_EQ(scan.results, 1u);
    EXPECT_EQ(scan.status.at("failed"), 1u);
    // level65 .. level100 and the result: flat sections, each with its path.
    EXPECT_EQ(test::occurrences(html, "<section class=\"flat"), 37u);
    const std::size_t bottom = html.find("bottom</span>");
    ASSERT_NE(bottom, std::string::npos);
    const std::size_t path = html.find("<p class=\"path\">", bottom);
    ASSERT_NE(path, std::string::npos);
    EXPECT_EQ(
        html.substr(path, html.find("</p>", path) - path),
        "<p class=\"path\">drv \xE2\x80\xBA level1 \xE2\x80\xBA level2 \xE2\x80\xBA level3 \xE2\x80\xBA "
        "\xE2\x80\xA6 91 levels \xE2\x80\xA6 \xE2\x80\xBA level95 \xE2\x80\xBA level96 \xE2\x80\xBA level97 "
        "\xE2\x80\xBA level98 \xE2\x80\xBA level99 \xE2\x80\xBA level100 (depth 101)");
    ASSERT_EQ(failures.items.size(), 1u);
    EXPECT_EQ(failures.items[0].href, "p/drv.html#e101");
}

TEST_F(SectionPagesTest, StatusesFollowTheResultRulesAndOnlyResultsCarryThem)
{
    run([](Events& e) {
        e.open("suite", "Test Suite", EntryState::NotExecuted, false);
        e.result("ok", EntryState::Passed);
        e.result("ko", EntryState::Failed);
        e.result("ne", EntryState::NotExecuted);
        e.open("never called", "Stub", EntryState::NotExecuted, true);
        e.close();
        e.close();
    });
    const std::string html = page(1);
    const test::PageScan scan = scanPage(html);
    EXPECT_EQ(scan.results, 4u);
    EXPECT_EQ(scan.status.at("passed"), 2u);
    EXPECT_EQ(scan.status.at("failed"), 1u);
    EXPECT_EQ(scan.status.at("inconclusive"), 1u);
    EXPECT_EQ(summary.totals.passed, 2);
    // Failed and inconclusive open, passed closed; the suite (NE) open, not a result.
    EXPECT_NE(html.find("id=\"e1\" open><summary>"), std::string::npos);
    EXPECT_NE(html.find("id=\"e2\" data-status=\"passed\""), std::string::npos);
    EXPECT_NE(html.find("id=\"e3\" open data-status=\"failed\""), std::string::npos);
    EXPECT_NE(html.find("id=\"e4\" open data-status=\"inconclusive\""), std::string::npos);
    EXPECT_NE(html.find("id=\"e5\" data-status=\"passed\""), std::string::npos);
    EXPECT_NE(html.find("\xE2\x80\x93 Not executed"), std::string::npos);
}

} // namespace
} // namespace xrdtool
