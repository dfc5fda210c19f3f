// Encodings named in trace notes: loose matching of the name against the
// conversion library's names and aliases, and decoding with what was found.
#include "readers/namedencoding.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

/// The UTF-16 code units of a decoded text, for exact comparisons.
std::u16string units(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
}

TEST(NamedEncoding, OnlyLettersAndDigitsOfTheNameCount)
{
    // Every spelling of windows-1252 names the same listed encoding, whatever
    // separators, quotes or case it carries.
    const std::optional<std::string> listed = listedEncodingName("windows-1252");
    ASSERT_TRUE(listed);
    for (const char *name : {"windows,1252", "Windows_1252", "WINDOWS 1252", "\"windows-1252",
                             "windows.1252", "windows1252", "(windows/1252)"}) {
        EXPECT_EQ(listedEncodingName(name), listed) << name;
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
    for (const char *name : {"", "\"", "-_,. ", "no-such-encoding", "windows-12520", "utf-88"}) {
        EXPECT_EQ(listedEncodingName(name), std::nullopt) << name;
        EXPECT_EQ(units(decodeInNamedEncoding(name, "caf\xc3\xa9")), u"caf\u00e9") << name;
        EXPECT_EQ(units(decodeInNamedEncoding(name, "\x80")), u"\ufffd") << name;
    }
}

} // namespace
} // namespace qv
