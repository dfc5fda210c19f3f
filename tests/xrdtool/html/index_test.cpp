// The index's list of sections: failures first, and past a thousand sections
// continued on sections-2.html, ... so that the index stays small.
#include "xrdtool/html/index.h"

#include "site_fixture.h"
#include "xrdtool/common/path_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace xrdtool {
namespace {

IndexContent manySections(std::size_t count)
{
    IndexContent content;
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

/// The index and the sections pages of `content` in a scratch site.
class IndexSections : public ::testing::Test {
protected:
    void write(const IndexContent& content)
    {
        site.title = "Report";
        ASSERT_TRUE(writeIndex(site, content));
    }
    std::string page(const std::string& name) const { return test::readFile(dir.path() + "/" + name); }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.path() + "/" + name); }

    test::ScratchDir dir;
    PathMap paths;
    Site site{dir.path(), paths};
};

TEST_F(IndexSections, FailuresComeFirstAndAThousandRowsFitOnAPage)
{
    write(manySections(2500));
    ASSERT_TRUE(exists("sections-3.html"));
    ASSERT_FALSE(exists("sections-4.html")) << "three pages";
    const std::string index = page("index.html");
    EXPECT_EQ(test::occurrences(index, "<tr><td data-sort="), HtmlSectionsPerPage);
    EXPECT_EQ(index.find("data-status"), std::string::npos);
    // drv999 and drv1999 failed: they lead, before drv0.
    EXPECT_LT(index.find(">drv999<"), index.find(">drv1999<"));
    EXPECT_LT(index.find(">drv1999<"), index.find(">drv0<"));
    EXPECT_NE(index.find("<a href=\"sections-2.html\">1,500 more</a>"), std::string::npos);
    EXPECT_EQ(index.find(">drv998<"), std::string::npos) << "the 1,001st row is on the next page";

    const std::string second = page("sections-2.html");
    EXPECT_EQ(test::occurrences(second, "<tr><td data-sort="), HtmlSectionsPerPage);
    EXPECT_NE(second.find(">drv998<"), std::string::npos);
    EXPECT_NE(second.find("rel=\"prev\" href=\"index.html\""), std::string::npos);
    EXPECT_NE(second.find("rel=\"next\" href=\"sections-3.html\""), std::string::npos);
    EXPECT_NE(second.find("href=\"p/drv998.html\""), std::string::npos);

    const std::string third = page("sections-3.html");
    EXPECT_EQ(test::occurrences(third, "<tr><td data-sort="), 500u);
    EXPECT_EQ(third.find("rel=\"next\""), std::string::npos);
    EXPECT_EQ(third.find("more</a>"), std::string::npos);
}

TEST_F(IndexSections, AFewSectionsStayOnTheIndex)
{
    write(manySections(3));
    EXPECT_FALSE(exists("sections-2.html")) << "one page";
    const std::string index = page("index.html");
    EXPECT_EQ(test::occurrences(index, "<tr><td data-sort="), 3u);
    EXPECT_EQ(index.find("sections-2.html"), std::string::npos);
    EXPECT_NE(index.find("data-passed=\"3\" data-inconclusive=\"0\" data-failed=\"0\" data-total=\"3\""),
              std::string::npos);
}

} // namespace
} // namespace xrdtool
