// Input stream, token readers and number fields shared by both readers.
#include "readers/instream.h"
#include "readers/otsfile.h"
#include "readers/tokens.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace std::string_literals;

namespace qv {
namespace {

const std::string NameEnd = "\" line=";

/// Everything get() returns until end of file.
std::string drain(InStream& in)
{
    std::string out;
    for (int c = in.get(); c != InStream::Eof; c = in.get())
        out.push_back(char(c));
    return out;
}

/// A file in a fresh temporary directory, removed with the fixture.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/qv-readers-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string write(const std::string& name, const std::string& content) const
    {
        const std::string file = path_ + "/" + name;
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(InStream, LineEndsInMemory)
{
    InStream in;
    in.openMemory("a\r\nb\rc\r\r\nd\r"s);
    EXPECT_EQ(drain(in), "a\nb\rc\r\nd\r"); // only CR right before LF joins the line end
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.failed());
    EXPECT_EQ(in.get(), InStream::Eof); // stays at the end
}

TEST(InStream, FileAcrossBufferBoundaries)
{
    TempDir dir;
    // CR as the last byte of the first 256 KiB block, its LF in the next one;
    // NUL and high bytes pass through as data.
    std::string content(256 * 1024 - 1, 'a');
    content += "\r\n";
    content += "\0\xff"s;
    content += std::string(300000, 'b');
    content += "\r\n";
    const std::string path = dir.write("big.txt", content);

    InStream in;
    ASSERT_TRUE(in.open(path));
    std::string expected(256 * 1024 - 1, 'a');
    expected += "\n";
    expected += "\0\xff"s;
    expected += std::string(300000, 'b');
    expected += "\n";
    EXPECT_EQ(drain(in), expected);
    EXPECT_FALSE(in.failed());
}

TEST(InStream, OpenFailures)
{
    TempDir dir;
    InStream in;
    EXPECT_FALSE(in.open(dir.path() + "/missing.ots"));
    // A directory opens with fopen on this platform but cannot be read.
    EXPECT_FALSE(in.open(dir.path()));
    EXPECT_TRUE(in.failed());
    // An empty file is a valid, empty input.
    EXPECT_TRUE(in.open(dir.write("empty", "")));
    EXPECT_EQ(in.get(), InStream::Eof);
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.failed());
}

TEST(ReadToken, DelimitersNewlinesAndEnd)
{
    InStream in;
    in.openMemory("abc def\nxy\nz w\n\nlast"s);
    EXPECT_EQ(readToken(in, ' '), "abc");
    EXPECT_EQ(readToken(in, ' '), "defxyz"); // newlines are dropped, not delimiters
    EXPECT_EQ(readToken(in, '\n'), "w");
    EXPECT_EQ(readToken(in, '\n'), "");    // positioned on the delimiter: empty token
    EXPECT_EQ(readToken(in, ' '), "last"); // end of file ends the token
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(readToken(in, ' '), "");
}

TEST(ReadToken, LengthLimitAndNul)
{
    InStream in;
    in.openMemory(std::string(1023, 'x') + " " + std::string(1500, 'y') + " ab\0cd ef"s);
    EXPECT_EQ(readToken(in, ' '), std::string(1023, 'x'));
    // Over-long: the rest up to the delimiter is read and dropped.
    EXPECT_EQ(readToken(in, ' '), std::string(1023, 'y'));
    // A NUL ends the kept text; reading still goes on to the delimiter.
    EXPECT_EQ(readToken(in, ' '), "ab");
    EXPECT_EQ(readToken(in, ' '), "ef");
}

TEST(ReadToken, EitherDelimiter)
{
    InStream in;
    in.openMemory("12;34 56;"s);
    EXPECT_EQ(readTokenUntilEither(in, ';', ' '), "12");
    EXPECT_EQ(readTokenUntilEither(in, ';', ' '), "34");
    EXPECT_EQ(readTokenUntilEither(in, ';', ' '), "56");
    EXPECT_EQ(readTokenUntilEither(in, ';', ' '), "");
    EXPECT_TRUE(in.atEnd());
}

TEST(ReadUntilText, NamesAndBackslashes)
{
    InStream in;
    in.openMemory("Case one\" line=12 a\\\"b\" line=3 C:\\\\x\" line=4 q\\\" line=rest"s);
    EXPECT_EQ(readUntilText(in, NameEnd), "Case one");
    EXPECT_EQ(readToken(in, ' '), "12");           // the terminator was consumed
    EXPECT_EQ(readUntilText(in, NameEnd), "a\"b"); // the backslash removes itself
    EXPECT_EQ(readToken(in, ' '), "3");
    EXPECT_EQ(readUntilText(in, NameEnd), "C:\\x"); // a doubled backslash keeps one
    EXPECT_EQ(readToken(in, ' '), "4");
    // An escaped quote still takes part in matching the terminator.
    EXPECT_EQ(readUntilText(in, NameEnd), "q");
    EXPECT_EQ(readToken(in, ' '), "rest");
}

TEST(ReadUntilText, NewlinesAndPartialMatches)
{
    InStream in;
    // A newline is dropped and breaks the partial match " then blank.
    in.openMemory("ab\"\n line=x\" line=1 \"\" line=2 aaabXaab"s);
    EXPECT_EQ(readUntilText(in, NameEnd), "ab\" line=x");
    EXPECT_EQ(readToken(in, ' '), "1");
    // A mismatching quote starts a new match.
    EXPECT_EQ(readUntilText(in, NameEnd), "\"");
    EXPECT_EQ(readToken(in, ' '), "2");
    // No overlap search: in "aaab" the partial "aa" is cleared by the third a
    // (which starts a new match of one), so only the later "aab" ends the text.
    EXPECT_EQ(readUntilText(in, "aab"), "aaabX");
}

TEST(ReadUntilText, LengthLimit)
{
    const auto name = [](size_t n) {
        InStream in;
        in.openMemory(std::string(n, 'n') + NameEnd + "77 ");
        std::string result = readUntilText(in, NameEnd);
        EXPECT_EQ(readToken(in, ' '), "77") << "terminator not consumed for length " << n;
        return result.size();
    };
    EXPECT_EQ(name(1984), 1984u);
    EXPECT_EQ(name(1985), 1985u);
    EXPECT_EQ(name(1986), 1985u);
    EXPECT_EQ(name(1992), 1985u);
    EXPECT_EQ(name(5000), 1985u);
}

TEST(ReadUntilText, EndOfFileAndNul)
{
    {
        InStream in;
        in.openMemory("abc\" li"s); // the terminator never completes: all is kept
        EXPECT_EQ(readUntilText(in, NameEnd), "abc\" li");
        EXPECT_TRUE(in.atEnd());
    }
    {
        InStream in;
        in.openMemory("x\\"s); // a backslash at the end escapes nothing
        EXPECT_EQ(readUntilText(in, NameEnd), "x");
    }
    {
        InStream in;
        in.openMemory("a\0b\" line=5"s);
        EXPECT_EQ(readUntilText(in, NameEnd), "a");
        EXPECT_EQ(readToken(in, ' '), "5");
    }
}

TEST(NumberFields, Hexadecimal)
{
    EXPECT_EQ(hexField("1a"), 0x1Au);
    EXPECT_EQ(hexField("1A;"), 0x1Au);
    EXPECT_EQ(hexField(" \t\n2f"), 0x2Fu);
    EXPECT_EQ(hexField("0x1F"), 0x1Fu);
    EXPECT_EQ(hexField("0X1f"), 0x1Fu);
    EXPECT_EQ(hexField("-0x10"), 0xFFFFFFF0u);
    EXPECT_EQ(hexField("0x"), 0u); // the 0 is the number, x stops it
    EXPECT_EQ(hexField("0xg"), 0u);
    EXPECT_EQ(hexField(""), 0u);
    EXPECT_EQ(hexField("zz"), 0u);
    EXPECT_EQ(hexField("-"), 0u);
    EXPECT_EQ(hexField("12zz"), 0x12u);
    EXPECT_EQ(hexField("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(hexField("+7fffffff"), 0x7FFFFFFFu);
}

TEST(NumberFields, HexadecimalUsesAllThirtyTwoBits)
{
    // Checksums and ids are full 32-bit values: kept whole up to FFFFFFFF.
    EXPECT_EQ(hexField("80000000"), 0x80000000u);
    EXPECT_EQ(hexField("80000001"), 0x80000001u);
    EXPECT_EQ(hexField("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(hexField("0xfffffffe"), 0xFFFFFFFEu);
    EXPECT_EQ(hexField("00000000c0ffee00"), 0xC0FFEE00u); // leading zeros are no overflow
    // Beyond 32 bits the value clamps to FFFFFFFF, with or without a sign.
    EXPECT_EQ(hexField("100000000"), 0xFFFFFFFFu);
    EXPECT_EQ(hexField("123456789abcdef0123456789"), 0xFFFFFFFFu);
    EXPECT_EQ(hexField("-100000000"), 0xFFFFFFFFu);
    EXPECT_EQ(hexField("-fffffffffffffffffff"), 0xFFFFFFFFu);
    // A minus sign negates modulo 2^32: down to -80000000 as a signed reading
    // gives, and on past it.
    EXPECT_EQ(hexField("-80000000"), 0x80000000u);
    EXPECT_EQ(hexField("-7fffffff"), 0x80000001u);
    EXPECT_EQ(hexField("-80000001"), 0x7FFFFFFFu);
    EXPECT_EQ(hexField("-FFFFFFFF"), 0x1u);
    // Every value the signed reading kept reads the same.
    for (uint64_t v = 0; v <= 0x7FFFFFFFu; v = v * 3 + 1) {
        char text[16];
        std::snprintf(text, sizeof text, "%x", unsigned(v));
        EXPECT_EQ(hexField(text), uint32_t(v)) << text;
        std::snprintf(text, sizeof text, "-%x", unsigned(v));
        EXPECT_EQ(hexField(text), 0u - uint32_t(v)) << text;
    }
}

TEST(NumberFields, Decimal)
{
    EXPECT_EQ(decimalField("12"), 12);
    EXPECT_EQ(decimalField(" -3x"), -3);
    EXPECT_EQ(decimalField("+8"), 8);
    EXPECT_EQ(decimalField("abc"), 0);
    EXPECT_EQ(decimalField(""), 0);
    EXPECT_EQ(decimalField("0x10"), 0);
    EXPECT_EQ(decimalField("2147483647"), INT_MAX);
    EXPECT_EQ(decimalField("2147483648"), INT_MAX);
    EXPECT_EQ(decimalField("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(decimalField("-2147483648"), INT_MIN);
    EXPECT_EQ(decimalField("-99999999999999999999999"), INT_MIN);
}

} // namespace
} // namespace qv
