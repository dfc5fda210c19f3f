// The failures pages: every failed result once, continued after 5,000, with
// previous/next links, and the first hundred kept for the index without the
// data-status hook.
#include "xrdtool/html/failures.h"

#include "site_fixture.h"
#include "xrdtool/common/path_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace xrdtool {
namespace {

TEST(FailurePages, ContinueAfterFiveThousandAndKeepTheFirstHundredForTheIndex)
{
    test::ScratchDir dir;
    PathMap paths;
    ASSERT_TRUE(paths.add("/build/=src/"));
    Site site(dir.path(), paths);
    site.title = "Report";
    FailurePages pages(site);
    NameStack names;
    names.push("driver");
    names.push("suite");
    xrd::Entry entry;
    entry.type = "Test Case";
    entry.state = xrd::EntryState::Failed;
    entry.counted = true;
    entry.location = xrd::Location{"/build/t.kts", 9};
    for (int i = 0; i < 10001; ++i) {
        entry.name = "case" + std::to_string(i);
        pages.failedResult(entry, "p/driver.html#e" + std::to_string(i + 1), NamePath{names, 2}, nullptr);
    }
    ASSERT_TRUE(pages.finish());
    EXPECT_EQ(pages.count(), 10001u);

    const std::string first = test::readFile(dir.path() + "/failures.html");
    const std::string second = test::readFile(dir.path() + "/failures-2.html");
    const std::string third = test::readFile(dir.path() + "/failures-3.html");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/failures-4.html"));
    EXPECT_EQ(test::scanPage(first).status.at("failed"), 5000u);
    EXPECT_EQ(test::scanPage(second).status.at("failed"), 5000u);
    EXPECT_EQ(test::scanPage(third).results, 1u);
    EXPECT_NE(first.find("href=\"failures-2.html\""), std::string::npos);
    EXPECT_NE(second.find("rel=\"prev\" href=\"failures.html\""), std::string::npos);
    EXPECT_NE(second.find("rel=\"next\" href=\"failures-3.html\""), std::string::npos);
    EXPECT_EQ(third.find("rel=\"next\""), std::string::npos);
    EXPECT_NE(third.find("href=\"p/driver.html#e10001\""), std::string::npos);
    EXPECT_NE(third.find("driver \xE2\x80\xBA suite"), std::string::npos);
    EXPECT_NE(third.find("src/t.kts:9"), std::string::npos);

    ASSERT_EQ(pages.first().size(), HtmlIndexFailures);
    EXPECT_NE(pages.first().front().find("case0</span>"), std::string::npos);
    EXPECT_NE(pages.first().back().find("case99</span>"), std::string::npos);
    for (const std::string& item : pages.first())
        EXPECT_EQ(item.find("data-status"), std::string::npos);
}

TEST(FailurePages, WithoutFailuresTheOnlyPageSaysSo)
{
    test::ScratchDir dir;
    PathMap paths;
    Site site(dir.path(), paths);
    site.title = "Report";
    FailurePages pages(site);
    ASSERT_TRUE(pages.finish());
    const std::string page = test::readFile(dir.path() + "/failures.html");
    EXPECT_NE(page.find("No result failed."), std::string::npos);
    EXPECT_EQ(test::scanPage(page).results, 0u);
    EXPECT_EQ(page.find("rel=\"next\""), std::string::npos);
}

} // namespace
} // namespace xrdtool
