// XML escaping for the JUnit files.

#include "xrdtool/junit/xml_escape.h"

#include <gtest/gtest.h>

namespace {

std::string xml(const std::string& text, bool attribute)
{
    std::string out;
    xrdtool::appendXml(out, text, attribute);
    return out;
}

TEST(Text, XmlEscapesMarkupAndKeepsUtf8)
{
    EXPECT_EQ(xml("a<b>&\"c\"'", true), "a&lt;b&gt;&amp;&quot;c&quot;'");
    EXPECT_EQ(xml("a<b>&\"c\"'", false), "a&lt;b&gt;&amp;\"c\"'");
    EXPECT_EQ(xml("]]>", false), "]]&gt;");
    EXPECT_EQ(xml("caf\xC3\xA9 \xE6\xB8\xA9 \xF0\x9F\x98\x80", false),
              "caf\xC3\xA9 \xE6\xB8\xA9 \xF0\x9F\x98\x80");
}

TEST(Text, LineEndsBecomeReferencesOnlyInAttributes)
{
    EXPECT_EQ(xml("a\nb\tc", true), "a&#10;b&#9;c");
    EXPECT_EQ(xml("a\nb\tc", false), "a\nb\tc");
    // A raw CR would be read back as a line feed.
    EXPECT_EQ(xml("a\rb", false), "a&#13;b");
}

TEST(Text, ForbiddenCharactersBecomeReplacementCharactersNeverReferences)
{
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(xml(std::string("a\x1b"
                              "b\x01"
                              "c",
                              5),
                  false),
              "a" + fffd + "b" + fffd + "c");
    EXPECT_EQ(xml(std::string("\0", 1), true), fffd);
    EXPECT_EQ(xml("\xEF\xBF\xBE\xEF\xBF\xBF", false), fffd + fffd); // U+FFFE, U+FFFF
    // Bytes that are not UTF-8: a stray continuation, an overlong form, a
    // surrogate, a cut sequence at the end.
    EXPECT_EQ(xml("\x80", false), fffd);
    EXPECT_EQ(xml("\xC0\xAF", false), fffd + fffd);
    EXPECT_EQ(xml("\xED\xA0\x80", false), fffd + fffd + fffd);
    EXPECT_EQ(xml("ab\xE6\xB8", false), "ab" + fffd + fffd);
    EXPECT_EQ(xml("\xF4\x90\x80\x80", false).find("\xF4"), std::string::npos); // above U+10FFFF
}

TEST(Text, LongPlainRunsAreEscapedAsShortOnesAtEveryPosition)
{
    // Plain text goes eight bytes at a time: a byte that needs a look must be
    // found wherever it stands in a word.
    const std::string plain = "abcdefghijklmnopqrstuvwx";
    for (const std::string special :
         {"&", "<", ">", "\"", "\n", "\t", "\r", "\x01", "\x7F", "\xC3\xA9", "\xFF"}) {
        const std::string alone = xml(special, true);
        for (std::size_t at = 0; at <= plain.size(); ++at) {
            const std::string text = plain.substr(0, at) + special + plain.substr(at);
            EXPECT_EQ(xml(text, true), plain.substr(0, at) + alone + plain.substr(at)) << at;
        }
    }
}

} // namespace
