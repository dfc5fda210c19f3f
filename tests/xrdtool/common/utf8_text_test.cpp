// The one-line forms of the logs and cuts at character boundaries.

#include "xrdtool/common/utf8_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, OneLineShowsControlCharactersAndSeparatorsAsOneBlankEach)
{
    EXPECT_EQ(xrdtool::oneLine("a\r\nb\tc"), "a  b c");
    EXPECT_EQ(xrdtool::oneLine("x\x7f"
                               "y\xC2\x85z"),
              "x y z");                                                  // DEL, NEL
    EXPECT_EQ(xrdtool::oneLine("p\xE2\x80\xA8q\xE2\x80\xA9r"), "p q r"); // U+2028, U+2029
    EXPECT_EQ(xrdtool::oneLine("keep \xC3\xA9 and \xFF bytes"), "keep \xC3\xA9 and \xFF bytes");
}

TEST(Text, EscapedShowsEveryByteOfControlCharactersAndSeparatorsAsHex)
{
    std::string out = ">";
    xrdtool::appendEscaped(out,
                           "a\r\nb\tc\x7f"
                           "d\xC2\x85\xE2\x80\xA8 \xC3\xA9 \xE2\x82\xAC \xC2 \xFF\\x0A");
    EXPECT_EQ(out, ">a\\x0D\\x0Ab\\x09c\\x7Fd\\xC2\\x85\\xE2\\x80\\xA8 \xC3\xA9 \xE2\x82\xAC \xC2 \xFF\\x0A");
}

TEST(Text, CutsOnCharacterBoundaries)
{
    EXPECT_EQ(xrdtool::cutUtf8("abc", 5), "abc");
    EXPECT_EQ(xrdtool::cutUtf8("abc", 2), "ab");
    EXPECT_EQ(xrdtool::cutUtf8("a\xC3\xA9", 2), "a");
    EXPECT_EQ(xrdtool::cutUtf8("\xE6\xB8\xA9\xE6\xB8\xA9", 5), "\xE6\xB8\xA9");
    EXPECT_EQ(xrdtool::cutUtf8("\xE6\xB8\xA9", 0), "");
}

} // namespace
