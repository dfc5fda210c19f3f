// xrdtool html end to end in-process: the example's site against its golden
// pages, the rules for the output folder, hostile names, --path-map, and
// reports that are not reports.
#include "xrdtool/html/command.h"

#include "site_fixture.h"
#include "xrdtool/commands.h"
#include "xrdtool/html/site.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace xrdtool {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const std::string Source = XRDTOOL_HTML_TEST_SOURCE_DIR;
const std::string Example = Source + "/tests/e2e/cases/example_campaign/expected/campaign.xrd";
const std::string Golden = Source + "/tests/xrdtool/html/golden";

/// Entries nested in the report's sections, around a body of entries.
std::string report(const std::string& entries, const std::string& title = "Hostile",
                   const std::string& information = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XROD>\n<APIDOC>\n<DOCUMENT TITLE=\"r.xrd\" "
           "TAG=\"Testx1\">\n"
           "<XROD:NODE name=\"Global Report\" type=\"Global Report\" state=\"ko\"><SECTION TAG=\"filex2\">\n"
           "<TITLE LEVEL=\"0\" TAG=\"nodex3\" STYLE=\"Title1\">\n<TEXT>" +
        title +
        "</TEXT>\n</TITLE>\n"
        "<TABLE BORDER=\"1\">\n<ROW>\n<CELL_TEXT STYLE=\"Array\">Passed</CELL_TEXT>\n<CELL_TEXT "
        "STYLE=\"Array\">0</CELL_TEXT>\n</ROW>\n"
        "<ROW>\n<CELL_TEXT STYLE=\"Array\">Inconclusive</CELL_TEXT>\n<CELL_TEXT "
        "STYLE=\"Array\">0</CELL_TEXT>\n</ROW>\n"
        "<ROW>\n<CELL_TEXT STYLE=\"Array\">Failed</CELL_TEXT>\n<CELL_TEXT "
        "STYLE=\"Array\">1</CELL_TEXT>\n</ROW>\n"
        "<ROW>\n<CELL_TEXT STYLE=\"Array\">Total</CELL_TEXT>\n<CELL_TEXT "
        "STYLE=\"Array\">1</CELL_TEXT>\n</ROW>\n"
        "</TABLE>\n" +
        information + "</SECTION>\n" + entries + "</XROD:NODE>\n</DOCUMENT>\n</APIDOC>\n</XROD>\n";
}

/// `xrdtool html ARGS...`, as the program runs it: its exit status, its messages on the error stream.
int html(const std::vector<std::string>& args)
{
    std::vector<std::string> line{"html"};
    line.insert(line.end(), args.begin(), args.end());
    return runCommandLine(xrdtoolCommands(), line);
}

class HtmlCommandTest : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return dir.path() + "/" + name; }
    /// Names in the scratch folder other than `keep`: what a run left beside its target.
    std::vector<std::string> leftovers(const std::string& keep) const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            const std::string name = e.path().filename().string();
            if (name != keep && name != "r.xrd")
                names.push_back(name);
        }
        return names;
    }
    test::ScratchDir dir;
};

TEST_F(HtmlCommandTest, ExampleSiteMatchesItsGoldenPages)
{
    ASSERT_EQ(html({Example, "-o", at("site")}), 0);
    for (const char* page : {"index.html", "p/thermostat_tests.html"}) {
        const std::string written = readFile(at("site/") + page);
        if (std::getenv("XRDTOOL_UPDATE_GOLDEN"))
            writeFile(Golden + "/" + fs::path(page).filename().string(), written);
        EXPECT_EQ(written, readFile(Golden + "/" + fs::path(page).filename().string())) << page;
    }
    for (const char* file : {"failures.html", "p/sensor_stubs.html", "p/Contracts.html", "assets/report.css",
                             "assets/report.js", HtmlSiteMarker})
        EXPECT_TRUE(fs::is_regular_file(at("site/") + file)) << file;
    EXPECT_EQ(readFile(at("site/assets/report.css")),
              readFile(Source + "/src/xrdtool/html/assets/report.css"));
    EXPECT_EQ(readFile(at("site/assets/report.js")), readFile(Source + "/src/xrdtool/html/assets/report.js"));
    EXPECT_TRUE(leftovers("site").empty());
}

TEST_F(HtmlCommandTest, AnEarlierSiteIsReplacedWholeAndOtherFoldersAreLeftAlone)
{
    ASSERT_EQ(html({Example, "-o", at("site")}), 0);
    ASSERT_TRUE(writeFile(at("site/p/stale.html"), "old"));
    ASSERT_EQ(html({Example, "-o", at("site/")}), 0);
    EXPECT_FALSE(fs::exists(at("site/p/stale.html")));
    EXPECT_TRUE(fs::exists(at("site/index.html")));

    fs::create_directory(at("empty"));
    EXPECT_EQ(html({Example, "-o", at("empty")}), 0);
    EXPECT_TRUE(fs::exists(at("empty/index.html")));

    fs::create_directory(at("mine"));
    ASSERT_TRUE(writeFile(at("mine/notes.txt"), "keep me"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(html({Example, "-o", at("mine")}), 255);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "xrdtool: " + at("mine") +
                  ": is a folder that holds other files than a site of xrdtool html.\n");
    EXPECT_EQ(readFile(at("mine/notes.txt")), "keep me");
    EXPECT_FALSE(fs::exists(at("mine/index.html")));

    ASSERT_TRUE(writeFile(at("file"), "a file"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(html({Example, "-o", at("file")}), 255);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "xrdtool: " + at("file") + ": exists and is not a folder.\n");
    EXPECT_EQ(readFile(at("file")), "a file");
    EXPECT_EQ(leftovers("site").size(), 3u) << "empty, mine, file and nothing else";
}

TEST_F(HtmlCommandTest, NotAReportLeavesNoSiteAndKeepsTheEarlierOne)
{
    ASSERT_TRUE(writeFile(at("r.xrd"), report("<XROD:NODE name=\"d\" type=\"Test Driver\" state=\"ko\">")));
    testing::internal::CaptureStderr();
    EXPECT_EQ(html({at("r.xrd"), "-o", at("site")}), 255);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("xrdtool: " + at("r.xrd") + ": not an XRD report (line ", 0), 0u) << err;
    EXPECT_TRUE(leftovers("").empty()) << "no site and no temporary folder";

    ASSERT_EQ(html({Example, "-o", at("site")}), 0);
    const std::string before = readFile(at("site/index.html"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(html({at("r.xrd"), "-o", at("site")}), 255);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(readFile(at("site/index.html")), before);
    EXPECT_EQ(leftovers("site").size(), 0u);

    testing::internal::CaptureStderr();
    EXPECT_EQ(html({at("missing.xrd"), "-o", at("other")}), 255);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing.xrd: cannot read"), std::string::npos);
    EXPECT_FALSE(fs::exists(at("other")));
}

TEST_F(HtmlCommandTest, WrongCommandLinesPrintTheUsage)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{Example},
                                               {"-o", at("x")},
                                               {Example, "-o"},
                                               {Example, "-o", "-"},
                                               {Example, Example, "-o", at("x")},
                                               {Example, "-o", at("x"), "--path-map", "nothing"},
                                               {Example, "-o", at("x"), "--bogus"}}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(html(args), 255);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("usage: xrdtool html"), std::string::npos);
    }
    EXPECT_TRUE(leftovers("").empty());
}

TEST_F(HtmlCommandTest, HostileNamesStayTextEverywhere)
{
    const std::string entries =
        "<XROD:NODE name=\"&lt;script&gt;alert(1)&lt;/script&gt;\" type=\"Test Driver\" "
        "state=\"ko\"><SECTION TAG=\"rootx4\">\n"
        "<XROD:NODE name=\"javascript:alert(2)\" type=\"Test Case\" state=\"ko\" sum=\"1\">"
        "<TITLE LEVEL=\"1\" TAG=\"nodex5\" STYLE=\"Title2 Failed\">\n<LINK TARGET=\"&quot;&gt;&lt;img src=x "
        "onerror=alert(3)&gt; line 7\">\n"
        "<TEXT>Test Case x</TEXT>\n</LINK>\n</TITLE>\n<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Failed\">a &lt;b&gt; &amp;&amp; &apos;c&apos; "
        "style=&quot;x&quot;</CELL_TEXT>\n</ROW>\n</TABLE>\n"
        "</XROD:NODE>\n</SECTION>\n</XROD:NODE>\n";
    ASSERT_TRUE(writeFile(at("r.xrd"), report(entries, "&lt;/title&gt;&lt;script&gt;x()&lt;/script&gt;")));
    ASSERT_EQ(html({at("r.xrd"), "-o", at("site")}), 0);
    const std::string page = readFile(at("site/p/_script_alert_1___script_.html"));
    ASSERT_FALSE(page.empty());
    for (const std::string& text :
         {page, readFile(at("site/index.html")), readFile(at("site/failures.html"))}) {
        EXPECT_EQ(text.find("<script>"), std::string::npos);
        EXPECT_EQ(text.find("<img"), std::string::npos);
        EXPECT_EQ(text.find("style=\""), std::string::npos);
        EXPECT_EQ(text.find("href=\"javascript"), std::string::npos);
        EXPECT_EQ(test::occurrences(text, "<script "), 1u) << "only the site's own script";
    }
    EXPECT_NE(page.find("<span class=\"name\">javascript:alert(2)</span>"), std::string::npos);
    EXPECT_NE(page.find("&quot;&gt;&lt;img src=x onerror=alert(3)&gt;:7"), std::string::npos);
    EXPECT_NE(page.find("a &lt;b&gt; &amp;&amp; &#39;c&#39; style=&quot;x&quot;"), std::string::npos);
    EXPECT_NE(readFile(at("site/index.html")).find("<h1>&lt;/title&gt;&lt;script&gt;x()&lt;/script&gt;</h1>"),
              std::string::npos);
}

TEST_F(HtmlCommandTest, LongNamesAndHugeInformationKeepTheIndexUnderTwoMebibytes)
{
    std::string information = "<TABLE BORDER=\"1\">\n";
    for (int i = 0; i < 2000; ++i)
        information += "<ROW>\n<CELL_TEXT STYLE=\"Array\">Owner</CELL_TEXT>\n<CELL_TEXT STYLE=\"Array\">" +
            std::string(2000, 'v') + "</CELL_TEXT>\n</ROW>\n";
    information += "</TABLE>\n";
    const std::string longName(3 << 20, 'n');
    const std::string entries = "<XROD:NODE name=\"" + longName +
        "\" type=\"Test Driver\" state=\"ko\"><SECTION TAG=\"rootx4\">\n"
        "<XROD:NODE name=\"" +
        longName +
        "\" type=\"Test Case\" state=\"ko\" sum=\"1\"></XROD:NODE>\n"
        "</SECTION>\n</XROD:NODE>\n";
    ASSERT_TRUE(writeFile(at("r.xrd"), report(entries, longName, information)));
    ASSERT_EQ(html({at("r.xrd"), "-o", at("site")}), 0);
    for (const auto& e : fs::recursive_directory_iterator(at("site"))) {
        if (e.is_regular_file()) {
            EXPECT_LE(e.file_size(), 2u << 20) << e.path();
        }
    }
    const std::string index = readFile(at("site/index.html"));
    EXPECT_NE(index.find("more rows not shown"), std::string::npos);
    EXPECT_NE(index.find("data-failed=\"1\""), std::string::npos);
}

TEST_F(HtmlCommandTest, PathMapRewritesEveryLocation)
{
    ASSERT_EQ(html({Example, "-o", at("site"), "--path-map", "tests/=src/tests/"}), 0);
    const std::string page = readFile(at("site/p/thermostat_tests.html"));
    EXPECT_NE(page.find("src/tests/thermostat_tests.kts:22"), std::string::npos);
    EXPECT_EQ(page.find(">tests/thermostat_tests.kts"), std::string::npos);
    EXPECT_NE(readFile(at("site/failures.html")).find("src/tests/sensor_stubs.kts:31"), std::string::npos);
}

} // namespace
} // namespace xrdtool
