// Texts of the html site: escaping that keeps hostile names as text, the cut of
// long texts with its note, and the short forms of names and paths.
#include "xrdtool/html/html_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xrdtool {
namespace {

std::string html(const std::string& text)
{
    std::string out;
    appendHtml(out, text);
    return out;
}

TEST(HtmlText, MarkupCharactersBecomeReferences)
{
    EXPECT_EQ(html("<script>alert(1)</script>"), "&lt;script&gt;alert(1)&lt;/script&gt;");
    EXPECT_EQ(html("a & \"b\" 'c'"), "a &amp; &quot;b&quot; &#39;c&#39;");
    // A URL-like name stays text; only attribute contexts would make it a link.
    EXPECT_EQ(html("javascript:alert(2)"), "javascript:alert(2)");
}

TEST(HtmlText, ControlsAndBrokenUtf8BecomeReplacementCharacters)
{
    EXPECT_EQ(html(std::string("a\0b", 3)),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(html("a\x1B[0m"), "a\xEF\xBF\xBD[0m");
    EXPECT_EQ(html("tab\there\nline\r"), "tab\there\nline\r");
    EXPECT_EQ(html("temp\xC3\xA9rature \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "temp\xC3\xA9rature \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(html("cut \xC3"), "cut \xEF\xBF\xBD");
    EXPECT_EQ(html("lone \x80 byte"), "lone \xEF\xBF\xBD byte");
    EXPECT_EQ(html("overlong \xC0\xAF"), "overlong \xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(HtmlText, LongTextsAreCutWithANoteOfWhatWasLeftOut)
{
    std::string out;
    appendHtmlCut(out, "short", 0, 10);
    EXPECT_EQ(out, "short");

    out.clear();
    appendHtmlCut(out, std::string(20, 'x'), 0, 10);
    EXPECT_EQ(out,
              std::string(10, 'x') +
                  "<span class=\"cut\">\xE2\x80\xA6 10 more bytes not shown (the report keeps the whole "
                  "text)</span>");

    // A cut never splits a character; bytes the reader dropped count too.
    out.clear();
    appendHtmlCut(out, "abc\xC3\xA9\xC3\xA9", 1000, 4);
    EXPECT_EQ(out.substr(0, 3), "abc");
    EXPECT_NE(out.find("1,004 more bytes"), std::string::npos) << out;

    out.clear();
    appendHtmlCut(out, std::string(HtmlCellLimit + 1, '<'));
    EXPECT_EQ(out.find("<span"), HtmlCellLimit * 4) << "64 KiB of text kept, each < escaped";
    EXPECT_NE(out.find(" 1 more bytes"), std::string::npos);
}

TEST(HtmlText, NamesAndCounts)
{
    std::string out;
    appendHtmlName(out, "", 10);
    EXPECT_EQ(out, "(unnamed)");
    out.clear();
    appendHtmlName(out, "abcdefghijkl", 5);
    EXPECT_EQ(out, "abcde\xE2\x80\xA6");
    out.clear();
    appendCount(out, 0);
    out += ' ';
    appendCount(out, 999);
    out += ' ';
    appendCount(out, 1000);
    out += ' ';
    appendCount(out, 12345678);
    EXPECT_EQ(out, "0 999 1,000 12,345,678");
}

TEST(HtmlText, LongPathsKeepTheirEndsAndCountTheLevelsBetween)
{
    std::vector<std::string> names = {"driver", "suite", "<case>"};
    std::string out;
    appendHtmlPath(out, names);
    EXPECT_EQ(out, "driver \xE2\x80\xBA suite \xE2\x80\xBA &lt;case&gt;");

    names.clear();
    for (int i = 0; i < 1000; ++i)
        names.push_back("n" + std::to_string(i));
    out.clear();
    appendHtmlPath(out, names);
    const std::string sep = " \xE2\x80\xBA ";
    EXPECT_EQ(out,
              "n0" + sep + "n1" + sep + "n2" + sep + "n3" + sep + "\xE2\x80\xA6 990 levels \xE2\x80\xA6" +
                  sep + "n994" + sep + "n995" + sep + "n996" + sep + "n997" + sep + "n998" + sep + "n999");
}

} // namespace
} // namespace xrdtool
