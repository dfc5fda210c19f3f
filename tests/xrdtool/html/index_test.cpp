// The index's list of sections: failures first, and past a thousand sections
// continued on sections-2.html, ... so that the index stays small.
#include "xrdtool/html/index.h"

#include "site_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace xrdtool {
namespace {

IndexContent manySections(std::size_t count)
{
    IndexContent content;
    content.title = "Report";
    for (std::size_t i = 0; i < count; ++i) {
        SectionSummary s;
        s.name = "drv" + std::to_string(i);
        s.type = "Test Driver";
        s.href = "p/" + s.name + ".html";
        s.pages = 1;
        const bool failed = i % 1000 == 999;
        s.look = resultLook(failed ? xrd::ResultStatus::Failed : xrd::ResultStatus::Passed);
        s.totals.add(failed ? xrd::ResultStatus::Failed : xrd::ResultStatus::Passed);
        content.totals.add(failed ? xrd::ResultStatus::Failed : xrd::ResultStatus::Passed);
        content.sections.push_back(s);
    }
    return content;
}

TEST(IndexSections, FailuresComeFirstAndAThousandRowsFitOnAPage)
{
    const IndexContent content = manySections(2500);
    ASSERT_EQ(sectionsPages(content), 3u);
    const std::string index = indexPage(content);
    EXPECT_EQ(test::occurrences(index, "<tr><td data-sort="), HtmlSectionsPerPage);
    EXPECT_EQ(index.find("data-status"), std::string::npos);
    // drv999 and drv1999 failed: they lead, before drv0.
    EXPECT_LT(index.find(">drv999<"), index.find(">drv1999<"));
    EXPECT_LT(index.find(">drv1999<"), index.find(">drv0<"));
    EXPECT_NE(index.find("<a href=\"sections-2.html\">1,500 more</a>"), std::string::npos);
    EXPECT_EQ(index.find(">drv998<"), std::string::npos) << "the 1,001st row is on the next page";

    const std::string second = sectionsPage(content, 2);
    EXPECT_EQ(test::occurrences(second, "<tr><td data-sort="), HtmlSectionsPerPage);
    EXPECT_NE(second.find(">drv998<"), std::string::npos);
    EXPECT_NE(second.find("rel=\"prev\" href=\"index.html\""), std::string::npos);
    EXPECT_NE(second.find("rel=\"next\" href=\"sections-3.html\""), std::string::npos);
    EXPECT_NE(second.find("href=\"p/drv998.html\""), std::string::npos);

    const std::string third = sectionsPage(content, 3);
    EXPECT_EQ(test::occurrences(third, "<tr><td data-sort="), 500u);
    EXPECT_EQ(third.find("rel=\"next\""), std::string::npos);
    EXPECT_EQ(third.find("more</a>"), std::string::npos);
}

TEST(IndexSections, AFewSectionsStayOnTheIndex)
{
    const IndexContent content = manySections(3);
    EXPECT_EQ(sectionsPages(content), 1u);
    const std::string index = indexPage(content);
    EXPECT_EQ(test::occurrences(index, "<tr><td data-sort="), 3u);
    EXPECT_EQ(index.find("sections-2.html"), std::string::npos);
    EXPECT_NE(index.find("data-passed=\"3\" data-inconclusive=\"0\" data-failed=\"0\" data-total=\"3\""),
              std::string::npos);
}

} // namespace
} // namespace xrdtool
