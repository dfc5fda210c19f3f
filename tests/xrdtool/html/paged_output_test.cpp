// A series of pages: names, where a page ends (items, bytes, elements, never
// before its first entry), the links between pages, and a page that cannot be
// made.
#include "xrdtool/html/paged_output.h"

#include "site_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unordered_set>

namespace xrdtool {
namespace {

/// Writes "[top N prev=P]" and "[bottom N prev=P next=X]" around each page.
struct Brackets : PagedOutput::Frame {
    void pageTop(std::string& out, std::size_t number, const std::string& previous) override
    {
        out += "[top " + std::to_string(number) + " prev=" + previous + "]";
    }
    void pageBottom(std::string& out, std::size_t number, const std::string& previous,
                    const std::string& next) override
    {
        out += "[bottom " + std::to_string(number) + " prev=" + previous + " next=" + next + "]";
    }
};

TEST(PageNames, NumberedOrUniqueAmongTheSitesStems)
{
    PageNames failures("failures.html", "failures-", ".html");
    EXPECT_EQ(failures(1), "failures.html");
    EXPECT_EQ(failures(3), "failures-3.html");
    EXPECT_EQ(failures(2), "failures-2.html");

    std::unordered_set<std::string> stems{"drv", "drv-p2"};
    PageNames driver("drv", stems);
    EXPECT_EQ(driver(1), "drv.html");
    EXPECT_EQ(driver(2), "drv-p2-2.html") << "a section named drv-p2 has that file";
    EXPECT_EQ(driver(2), "drv-p2-2.html") << "a name, once made, stays";
    EXPECT_EQ(stems.count("drv-p2-2"), 1u);
}

TEST(PagedOutput, ItemsContinueOnTheNextPageWithLinksBothWays)
{
    test::ScratchDir dir;
    Brackets frame;
    PagedOutput pages(dir.path() + "/", PageNames("list.html", "list-", ".html"), PageLimits{2, 1 << 20},
                      frame);
    pages.start();
    for (const char* item : {"a", "b", "c", "d", "e"}) {
        pages.makeRoom(1, true, 0);
        pages.add(item, true);
        pages.write("."); // no item: counts for nothing
    }
    ASSERT_TRUE(pages.finish());
    EXPECT_EQ(pages.pageNumber(), 3u);
    EXPECT_EQ(test::readFile(dir.path() + "/list.html"),
              "[top 1 prev=]a.b.[bottom 1 prev= next=list-2.html]");
    EXPECT_EQ(test::readFile(dir.path() + "/list-2.html"),
              "[top 2 prev=list.html]c.d.[bottom 2 prev=list.html next=list-3.html]");
    EXPECT_EQ(test::readFile(dir.path() + "/list-3.html"),
              "[top 3 prev=list-2.html]e.[bottom 3 prev=list-2.html next=]");
}

TEST(PagedOutput, BytesEndAPageBeforeItsLimitButNeverBeforeItsFirstEntry)
{
    test::ScratchDir dir;
    Brackets frame;
    const std::size_t limit = 120;
    PagedOutput pages(dir.path() + "/", PageNames("p.html", "p-", ".html"), PageLimits{1000, limit}, frame);
    pages.start();
    const std::string big(150, 'x'); // larger than a page: alone on one
    for (const std::string& entry : {std::string(30, 'a'), std::string(30, 'b'), big, std::string(10, 'c')}) {
        pages.makeRoom(entry.size(), false, 40); // the bottom takes 31 bytes
        pages.add(entry, false);
    }
    ASSERT_TRUE(pages.finish());
    ASSERT_EQ(pages.pageNumber(), 3u);
    const std::string first = test::readFile(dir.path() + "/p.html");
    EXPECT_NE(first.find(std::string(30, 'a') + std::string(30, 'b')), std::string::npos);
    EXPECT_LE(first.size(), limit);
    EXPECT_NE(test::readFile(dir.path() + "/p-2.html").find(big), std::string::npos);
    EXPECT_NE(test::readFile(dir.path() + "/p-3.html").find(std::string(10, 'c')), std::string::npos);
}

TEST(PagedOutput, ElementsEndAPageCountingWhatSurroundsTheEntries)
{
    test::ScratchDir dir;
    Brackets frame;
    // A page takes 10 elements: the top's <nav> and three entries of three,
    // the fourth continues; "<!--", "</i>" and "a < b" open none.
    PagedOutput pages(dir.path() + "/", PageNames("e.html", "e-", ".html"), PageLimits{1000, 1 << 20, 10},
                      frame);
    pages.start();
    pages.write("<nav><!-- x -->");
    const std::string entry = "<i>1</i><b>2</b><u>3 &lt; 4</u>";
    for (int i = 0; i < 5; ++i) {
        pages.makeRoom(entry.size(), false, 0, countElements(entry));
        pages.add(entry, false, i % 2 ? countElements(entry) : static_cast<std::size_t>(-1));
        pages.write("</i> a < b ");
    }
    // One entry larger than a page stands alone.
    const std::string big = "<p><p><p><p><p><p><p><p><p><p><p><p>";
    pages.makeRoom(big.size(), false, 0, countElements(big));
    pages.add(big, false);
    ASSERT_TRUE(pages.finish());
    ASSERT_EQ(pages.pageNumber(), 3u);
    const std::string first = test::readFile(dir.path() + "/e.html");
    const std::string second = test::readFile(dir.path() + "/e-2.html");
    EXPECT_EQ(test::occurrences(first, "<i>"), 3u);
    EXPECT_EQ(countElements(first), 10u);
    EXPECT_EQ(test::occurrences(second, "<i>"), 2u);
    EXPECT_EQ(test::readFile(dir.path() + "/e-3.html").find("[top 3 prev=e-2.html]" + big), 0u);
}

TEST(PagedOutput, WithoutEntriesTheFirstPageIsStillWritten)
{
    test::ScratchDir dir;
    Brackets frame;
    PagedOutput pages(dir.path() + "/", PageNames("only.html", "only-", ".html"), PageLimits{1, 1}, frame);
    ASSERT_TRUE(pages.finish());
    EXPECT_EQ(test::readFile(dir.path() + "/only.html"), "[top 1 prev=][bottom 1 prev= next=]");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/only-2.html"));
}

TEST(PagedOutput, APageThatCannotBeMadeFailsTheSeries)
{
    test::ScratchDir dir;
    Brackets frame;
    PagedOutput pages(dir.path() + "/missing/", PageNames("x.html", "x-", ".html"), PageLimits{1, 1 << 20},
                      frame);
    pages.start();
    pages.makeRoom(1, true, 0);
    pages.add("a", true);
    EXPECT_TRUE(pages.failed());
    EXPECT_FALSE(pages.finish());
}

} // namespace
} // namespace xrdtool
