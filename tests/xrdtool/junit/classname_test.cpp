// Classnames of every depth: whole up to a dozen names, then the first four,
// the levels between counted, the last six; cut at 4 KiB; hashed by content.

#include "xrdtool/junit/classname.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using xrdtool::ClassnamePath;

TEST(Classname, ADozenNamesAreJoinedAndDeeperPathsKeepTheirEnds)
{
    for (std::size_t depth = 1; depth <= 30; ++depth) {
        ClassnamePath path;
        path.start("nightly.", "d0");
        for (std::size_t i = 1; i < depth; ++i)
            path.push("d" + std::to_string(i));
        std::string expected = "nightly.";
        for (std::size_t i = 0; i < depth; ++i) {
            if (depth > 12 && i == 4) {
                expected += "\xE2\x80\xA6 " + std::to_string(depth - 10) + " levels \xE2\x80\xA6.";
                i = depth - 7;
                continue;
            }
            expected += "d" + std::to_string(i) + (i + 1 < depth ? "." : "");
        }
        EXPECT_EQ(path.classname(), expected) << depth;
    }
}

TEST(Classname, NamesLoseTheirDotsThePrefixKeepsThemAndPopGoesBack)
{
    ClassnamePath path;
    path.start("a.b-", "drv.x");
    path.push("S.1");
    path.push("");
    EXPECT_EQ(path.classname(), "a.b-drv_x.S_1.(unnamed)");
    path.pop();
    EXPECT_EQ(path.classname(), "a.b-drv_x.S_1");
    path.pop();
    path.pop(); // the suite's own name stays
    EXPECT_EQ(path.classname(), "a.b-drv_x");
}

TEST(Classname, LongClassnamesAreCutAtACharacterBoundaryAndAMillionLevelsStayShort)
{
    ClassnamePath path;
    std::string wide;
    for (int i = 0; i < 1000; ++i)
        wide += "\xC3\xA9";
    path.start("", "x" + wide);
    path.push(wide);
    path.push(wide);
    const std::string cut = path.classname();
    EXPECT_EQ(cut.size(), 4095u) << "4096 would split a character";
    EXPECT_EQ(cut, ("x" + wide + "." + wide + "." + wide).substr(0, 4095));

    ClassnamePath deep;
    deep.start("", "d");
    for (int i = 0; i < 1000000; ++i)
        deep.push("level" + std::to_string(i));
    const std::string& name = deep.classname();
    EXPECT_LT(name.size(), 200u);
    EXPECT_NE(name.find("\xE2\x80\xA6 999,991 levels \xE2\x80\xA6"), std::string::npos) << name;
}

TEST(Classname, EqualClassnamesHashAlikeHoweverTheyWereMade)
{
    // Thirteen levels written with a gap, and eleven whose fifth name is that
    // gap's text: the same classname, the same hash.
    ClassnamePath deep;
    deep.start("p.", "d0");
    for (int i = 1; i < 13; ++i)
        deep.push("d" + std::to_string(i));
    const std::string deepName = deep.classname();
    ClassnamePath flat;
    flat.start("p.", "d0");
    for (const char* name :
         {"d1", "d2", "d3", "\xE2\x80\xA6 3 levels \xE2\x80\xA6", "d7", "d8", "d9", "d10", "d11", "d12"})
        flat.push(name);
    ASSERT_EQ(flat.classname(), deepName);
    EXPECT_EQ(flat.hash(), deep.hash());
    flat.pop();
    flat.push("d13");
    flat.classname();
    EXPECT_NE(flat.hash(), deep.hash());
}

} // namespace
