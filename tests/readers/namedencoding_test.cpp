// Encodings named in trace notes: loose matching of the name against the
// conversion library's names and aliases, and decoding with what was found.
#include "readers/namedencoding.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

/// The UTF-16 code units of a decoded text, for exact comparisons.
std::u16string units(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

TEST(NamedEncoding, OnlyLettersAndDigitsOfTheNameCount)
{
    // Every spelling of windows-1252 names the same listed encoding, whatever
    // separators, quotes or case it carries.
    const std::optional<std::string> listed = detail::listedEncodingName("windows-1252");
    ASSERT_TRUE(listed);
    for (const char* name : {"windows,1252", "Windows_1252", "WINDOWS 1252", "\"windows-1252", "windows.1252",
                             "windows1252", "(windows/1252)"}) {
        EXPECT_EQ(detail::listedEncodingName(name), listed) << name;
        EXPECT_EQ(units(decodeInNamedEncoding(name, "\x80 euro")), u"\u20ac euro") << name;
    }
    // The digits do count: windows-1253 is Greek where windows-1252 is Latin.
    EXPECT_EQ(units(decodeInNamedEncoding("windows;1253", "\xc1")), u"\u0391");
    EXPECT_EQ(units(decodeInNamedEncoding("windows;1252", "\xc1")), u"\u00c1");
    // Aliases are names too.
    EXPECT_EQ(units(decodeInNamedEncoding("cp:1252", "\x80")), u"\u20ac");
    EXPECT_EQ(units(decodeInNamedEncoding("ISO 8859 15", "\xa4")), u"\u20ac");
    EXPECT_EQ(units(decodeInNamedEncoding("shift.jis", "\x82\xa0")), u"\u3042");
    EXPECT_EQ(units(decodeInNamedEncoding("KOI8/R", "\xc1")), u"\u0430");
}

TEST(NamedEncoding, NamesThatNameNothingFallBackToTheLocale)
{
    // The locale encoding is UTF-8 here: valid UTF-8 reads through, a lone
    // byte 80 becomes a replacement character.
    for (const char* name : {"", "\"", "-_,. ", "no-such-encoding", "windows-12520", "utf-88"}) {
        EXPECT_EQ(detail::listedEncodingName(name), std::nullopt) << name;
        EXPECT_EQ(units(decodeInNamedEncoding(name, "caf\xc3\xa9")), u"caf\u00e9") << name;
        EXPECT_EQ(units(decodeInNamedEncoding(name, "\x80")), u"\ufffd") << name;
    }
}

TEST(NamedEncoding, TheToolkitsOwnEncodingsDecodeWithItsConverters)
{
    // The toolkit's UTF-8 gives one replacement character per byte of an
    // invalid sequence: EF BD (cut off by the backslash), then the lone 95.
    const std::string_view invalid = "A\xef\xbd\\\x95"
                                     "B";
    for (const char* name : {"UTF-8", "utf8", "Utf_8", "UTF,8", "\"UTF-8", "u t f 8"})
        EXPECT_EQ(units(decodeInNamedEncoding(name, invalid)), u"A\ufffd\ufffd\\\ufffdB") << name;
    // A library alias of UTF-8 that is no name of the toolkit's goes through
    // the library, whose UTF-8 makes one replacement of the cut-off sequence.
    EXPECT_EQ(units(decodeInNamedEncoding("cp1208", invalid)), u"A\ufffd\\\ufffdB");

    // UTF-16 without a byte order mark: the toolkit reads the host's order
    // (little-endian here), the library's UTF-16 (alias ucs-2) big-endian.
    const std::string_view a16("A\0", 2);
    EXPECT_EQ(units(decodeInNamedEncoding("UTF-16", a16)), u"A");
    EXPECT_EQ(units(decodeInNamedEncoding("utf16", a16)), u"A");
    EXPECT_EQ(units(decodeInNamedEncoding("ucs-2", std::string_view("\0A", 2))), u"A");
    EXPECT_EQ(units(decodeInNamedEncoding("UTF 16 BE", std::string_view("\0A", 2))), u"A");
    EXPECT_EQ(units(decodeInNamedEncoding("utf-32-le", std::string_view("A\0\0\0", 4))), u"A");
    EXPECT_EQ(units(decodeInNamedEncoding("Latin-1", "\xe9")), u"\u00e9");
    EXPECT_EQ(units(decodeInNamedEncoding("ISO 8859 1", "\xe9")), u"\u00e9");
}

TEST(NamedEncoding, TheToolkitsConvertersKeepACutOffTail)
{
    // A sequence cut off at the end of the message is not held back for more
    // input: it becomes a replacement character.
    EXPECT_EQ(units(decodeInNamedEncoding("UTF-8", "a\xc3")), u"a\ufffd");
    EXPECT_EQ(units(decodeInNamedEncoding("UTF-16LE", std::string_view("A\0B", 3))), u"A\ufffd");
    EXPECT_EQ(units(decodeInNamedEncoding("UTF-32BE", std::string_view("\0\0\0A\0", 5))), u"A\ufffd");
}

} // namespace
} // namespace qv
