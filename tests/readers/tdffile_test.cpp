// TDF trace reader: records, numbers, fields, text decoding and their effect on the tree.
#include "model/evaluation.h"
#include "model/tree.h"
#include "readers/otsfile.h"
#include "readers/tdffile.h"

#include "base/textconversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace std::string_literals;

namespace qv {
namespace {

/// Two OTS files: file 0 (checksums 10 20) with a test case 3 holding checks 4
/// and 5; file 1 (checksums 30 40) with its own check 4.
class TdfReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        read("CK 10 20\n"
             "TC 3 \"Case\" line=1 p=1;\n"
             "CH 4 \"Check\" line=2 p=3;\n"
             "CH 5 \"Other\" line=3 p=3;\n",
             0);
        read("CK 30 40\n"
             "CH 4 \"Check in one\" line=2 p=1;\n",
             1);
    }
    void read(const std::string& ots, int fileIndex)
    {
        InStream in;
        in.openMemory(ots);
        ASSERT_TRUE(detail::readOtsStream(tree, globals, in, "s.ots", fileIndex));
    }
    bool trace(const std::string& tdf)
    {
        InStream in;
        in.openMemory(tdf);
        return detail::readTdfStream(tree, in);
    }
    const VerdictCounters& counters(int fileIndex, uint32_t id)
    {
        const TestNode* node = tree.findNode(fileIndex, id);
        EXPECT_TRUE(node && node->verdict());
        static const VerdictCounters none;
        return node && node->verdict() ? *node->verdict() : none;
    }
    std::vector<std::string> texts(int fileIndex, uint32_t id)
    {
        std::vector<std::string> out;
        const TestNode* node = tree.findNode(fileIndex, id);
        if (!node)
            return out;
        std::vector<uint64_t> refs;
        std::string scratch;
        tree.traceTexts().collect(node->lastText, refs);
        for (const uint64_t ref : refs)
            out.emplace_back(tree.traceTexts().text(ref, scratch));
        return out;
    }

    TestTree tree;
    OtsGlobals globals;
};

using Texts = std::vector<std::string>;

TEST_F(TdfReader, BindingAndCurrentFile)
{
    ASSERT_TRUE(trace("OT 4\n" // before any SF or CS: lost
                      "SF 3 10 20\n"
                      "OT 4\n"
                      "SF 7 30 40\n"
                      "OT 4\n"
                      "CS 3\n"
                      "OT 4\n"
                      "SF 9 77 88\n" // no OTS file has this pair
                      "OT 4\n"
                      "CS 9\n"
                      "OT 4\n"
                      "CS 7\n"
                      "OT 4\n"
                      "ZZ 4\n")); // unknown code: nothing
    EXPECT_EQ(counters(0, 4).hits, 2);
    EXPECT_EQ(counters(1, 4).hits, 2);
    EXPECT_EQ(tree.fileIndexOfTdfId(3), 0);
    EXPECT_EQ(tree.fileIndexOfTdfId(9), -1);
}

TEST_F(TdfReader, VerdictFields)
{
    ASSERT_TRUE(trace("SF 3 10 20\n"
                      "OT 4 1\n"
                      "OT 4 1\n"
                      "OT 4 0\n"
                      "OT 4 2\n"
                      "OT 4 3\n"
                      "OT 4 9\n" // outside 0 to 3: no event
                      "OT 4 -1\n"
                      "OT 5 \n"    // a blank and nothing else: a plain hit
                      "OT 5  1\n"  // two blanks: the verdict field is empty, 0, a fail
                      "OT 5 1 x\n" // a third field is ignored
                      "OT 5\r\n"));
    const VerdictCounters& four = counters(0, 4);
    EXPECT_EQ(four.hits, 0);
    EXPECT_EQ(four.passed, 2);
    EXPECT_EQ(four.failed, 1);
    EXPECT_EQ(four.illegalExits, 1);
    EXPECT_EQ(four.multipleExits, 1);
    const VerdictCounters& five = counters(0, 5);
    EXPECT_EQ(five.hits, 2);
    EXPECT_EQ(five.failed, 1);
    EXPECT_EQ(five.passed, 1);
}

TEST_F(TdfReader, PendingTexts)
{
    ASSERT_TRUE(trace("SF 3 10 20\n"
                      "NO \"ab\"\n"
                      "NO \"cd\"\n"
                      "OT 4\n" // attaches abcd
                      "NO \"ef\"\n"
                      "OT 4 1\n" // a verdict leaves the text pending
                      "NO no quote\n"
                      "OT 5\n" // attaches ef
                      "OT 5\n" // nothing pending any more
                      "NO \"lost\"\n"
                      "OT 63\n" // no such element: the text goes with the event
                      "OT 4\n"
                      "NO \"\"\n" // an empty text is a text all the same
                      "OT 5\n"
                      "NO \"dropped by SF\"\n"
                      "SF 3 10 20\n"
                      "OT 4\n"
                      "NO \"dropped by CS\"\n"
                      "CS 3\n"
                      "OT 4\n"
                      "NO \"left at the end\"\n"));
    EXPECT_EQ(texts(0, 4), Texts{"abcd"});
    EXPECT_EQ(texts(0, 5), (Texts{"ef", ""}));
    EXPECT_EQ(texts(0, 3), Texts{});
}

TEST_F(TdfReader, TextOfUnboundFileIsDropped)
{
    ASSERT_TRUE(trace("NO \"early\"\n"
                      "OT 4\n"
                      "CS 3\n"
                      "NO \"x\"\n"
                      "OT 4\n"
                      "SF 3 10 20\n"
                      "OT 4\n"));
    EXPECT_EQ(texts(0, 4), Texts{});
    EXPECT_EQ(counters(0, 4).hits, 1);
}

TEST_F(TdfReader, BadNumbersReadAsZeroAndGoOn)
{
    testing::internal::CaptureStderr();
    const bool result = trace("SF 3 10 20\n"
                              "OT 4x\n"
                              "OT 123456789\n"
                              "OT 4\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(result);
    EXPECT_EQ(err, "\nnon hexa digit found in number\n\n32 bits number overflow\n");
    EXPECT_EQ(counters(0, 4).hits, 1);
}

TEST_F(TdfReader, Files)
{
    char pattern[] = "/tmp/qv-tdf-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string path = dir + "/run.tdf";
    std::ofstream(path, std::ios::binary) << "SF 3 10 20\r\nNO \"t\"\r\nOT 4\r\n";
    EXPECT_FALSE(readTdfFile(tree, dir + "/missing.tdf"));
    EXPECT_FALSE(readTdfFile(tree, dir)); // a directory is no trace
    ASSERT_TRUE(readTdfFile(tree, path));
    EXPECT_EQ(counters(0, 4).hits, 1);
    EXPECT_EQ(texts(0, 4), Texts{"t"});
    std::filesystem::remove_all(dir);
}

/// One record, read with buffers of its own.
TdfRecord readRecord(InStream& in)
{
    TdfRecord record;
    std::string line;
    detail::readTdfRecordInto(in, record, line);
    return record;
}

TEST(TdfRecord, Values)
{
    InStream in;
    in.openMemory("SF 3 1a ffffffff\n"
                  "CS h21\n"
                  "OT 1a 2\n"
                  "OT 1b\n"
                  "NO \"a\\tb\"\n"
                  "NO plain\n"
                  "XY 1 2\n"
                  "OT 7\0 1\n"s);
    TdfRecord r = readRecord(in);
    EXPECT_EQ(r.kind, TdfRecordKind::SourceFile);
    EXPECT_EQ(r.fileId, 3u);
    EXPECT_EQ(r.checksum1, 0x1Au);
    EXPECT_EQ(r.checksum2, 0xFFFFFFFFu);
    r = readRecord(in);
    EXPECT_EQ(r.kind, TdfRecordKind::CurrentFile);
    EXPECT_EQ(r.fileId, 0x12u);
    r = readRecord(in);
    EXPECT_EQ(r.kind, TdfRecordKind::Verdict);
    EXPECT_EQ(r.elementId, 0x1Au);
    EXPECT_EQ(r.verdict, 2);
    r = readRecord(in);
    EXPECT_EQ(r.kind, TdfRecordKind::Hit);
    EXPECT_EQ(r.elementId, 0x1Bu);
    r = readRecord(in);
    EXPECT_EQ(r.kind, TdfRecordKind::Note);
    EXPECT_EQ(r.text, "a\tb");
    EXPECT_EQ(readRecord(in).kind, TdfRecordKind::None);
    EXPECT_EQ(readRecord(in).kind, TdfRecordKind::None);
    r = readRecord(in); // a NUL ends the line's text
    EXPECT_EQ(r.kind, TdfRecordKind::Hit);
    EXPECT_EQ(r.elementId, 7u);
    EXPECT_FALSE(in.atEnd());
    EXPECT_EQ(readRecord(in).kind, TdfRecordKind::None);
    EXPECT_TRUE(in.atEnd());
}

TEST(TdfRecord, LongNoteKeptWhole)
{
    const std::string body(5000, 'w');
    InStream in;
    in.openMemory("NO \"" + body + "\"\nOT 1\n");
    TdfRecord r = readRecord(in);
    EXPECT_EQ(r.kind, TdfRecordKind::Note);
    EXPECT_EQ(r.text, body);
    EXPECT_EQ(readRecord(in).kind, TdfRecordKind::Hit);
}

TEST(ParseTdfHex, Examples)
{
    const auto parse = [](const std::string& text, std::string& err) {
        testing::internal::CaptureStderr();
        const uint32_t value = detail::parseTdfHex(text);
        err = testing::internal::GetCapturedStderr();
        return value;
    };
    const std::string overflow = "\n32 bits number overflow\n";
    const std::string nonHex = "\nnon hexa digit found in number\n";
    std::string err;
    EXPECT_EQ(parse("1A", err), 0x1Au);
    EXPECT_EQ(err, "");
    EXPECT_EQ(parse("1ah", err), 0x1Au);
    EXPECT_EQ(err, "");
    EXPECT_EQ(parse("h21", err), 0x12u);
    EXPECT_EQ(parse("H12345678", err), 0x87654321u);
    EXPECT_EQ(err, "");
    EXPECT_EQ(parse("FFFFFFFF", err), 0xFFFFFFFFu);
    EXPECT_EQ(parse("00000001", err), 1u);
    EXPECT_EQ(parse("", err), 0u);
    EXPECT_EQ(err, "");
    EXPECT_EQ(parse("1hh", err), 1u); // a second h after the digits changes nothing
    EXPECT_EQ(err, "");
    EXPECT_EQ(parse("123456789", err), 0u);
    EXPECT_EQ(err, overflow);
    EXPECT_EQ(parse("h123456789", err), 0u);
    EXPECT_EQ(err, overflow);
    EXPECT_EQ(parse("12h3", err), 0u);
    EXPECT_EQ(err, overflow);
    EXPECT_EQ(parse("-1", err), 0u);
    EXPECT_EQ(err, nonHex);
    EXPECT_EQ(parse("0x1", err), 0u);
    EXPECT_EQ(err, nonHex);
    EXPECT_EQ(parse("1 ", err), 0u);
    EXPECT_EQ(err, nonHex);
}

TEST(TdfField, Splitting)
{
    using Opt = std::optional<std::string_view>;
    EXPECT_EQ(detail::tdfField("a b", ' ', 1), Opt("a"));
    EXPECT_EQ(detail::tdfField("a b", ' ', 2), Opt("b"));
    EXPECT_EQ(detail::tdfField("a b", ' ', 3), std::nullopt);
    EXPECT_EQ(detail::tdfField("a ", ' ', 1), Opt("a"));
    EXPECT_EQ(detail::tdfField("a ", ' ', 2), std::nullopt); // empty remainder after a final separator
    EXPECT_EQ(detail::tdfField("a  b", ' ', 2), Opt(""));
    EXPECT_EQ(detail::tdfField("a  b", ' ', 3), Opt("b"));
    EXPECT_EQ(detail::tdfField("a  ", ' ', 2), Opt(""));
    EXPECT_EQ(detail::tdfField("a  ", ' ', 3), std::nullopt);
    EXPECT_EQ(detail::tdfField("", ' ', 1), Opt(""));
    EXPECT_EQ(detail::tdfField("", ' ', 2), std::nullopt);
    EXPECT_EQ(detail::tdfField(" x", ' ', 1), Opt(""));
    EXPECT_EQ(detail::tdfField(" x", ' ', 2), Opt("x"));
    EXPECT_EQ(detail::tdfField("a;b", ';', 2), Opt("b"));
    EXPECT_EQ(detail::tdfField("a b", ' ', 0), std::nullopt);
    EXPECT_EQ(detail::tdfField("a b", ' ', -1), std::nullopt);
}

TEST(DecodeTraceText, QuotesAndEscapes)
{
    EXPECT_EQ(decodeTraceText("\"ab\""), "ab");
    EXPECT_EQ(decodeTraceText("\"ab"), "ab"); // no closing quote
    EXPECT_EQ(decodeTraceText("\"\""), "");
    EXPECT_EQ(decodeTraceText("\""), "");
    EXPECT_EQ(decodeTraceText("\"a\\tb\""), "a\tb");
    EXPECT_EQ(decodeTraceText("\"\\n\\r\\f\\t\""), "\n\r\f\t");
    EXPECT_EQ(decodeTraceText("\"\\x\\\\\\\"\""), "x\\\"");
    // Escaped quotes are not counted: two quotes only, read as UTF-8.
    EXPECT_EQ(decodeTraceText("\"say \\\"hi\\\"\""), "say \"hi\"");
    // A trailing quote is removed even when it was escaped; the backslash
    // then ends the text and gives nothing.
    EXPECT_EQ(decodeTraceText("\"ab\\\""), "ab");
    EXPECT_EQ(decodeTraceText("\"ab\\"), "ab");
}

TEST(DecodeTraceText, OctalEscapes)
{
    EXPECT_EQ(decodeTraceText("\"\\101\""), "A");
    EXPECT_EQ(decodeTraceText("\"\\1234\""), "S4");
    EXPECT_EQ(decodeTraceText("\"\\777\""), "\xff"); // 511 modulo 256
    // Only the first digit is tested: 1*64 + ('9'-'0')*8 + ('x'-'0') = 208.
    EXPECT_EQ(decodeTraceText("\"\\19x\""), "\xd0");
    // The three characters must lie in the text: the removed closing quote does
    // not count, and nothing is read past the end.
    EXPECT_EQ(decodeTraceText("\"\\12\""), "12");
    EXPECT_EQ(decodeTraceText("\"a\\1\""), "a1");
    EXPECT_EQ(decodeTraceText("\"\\8ab\""), "8ab");
    // A NUL byte ends the text.
    EXPECT_EQ(decodeTraceText("\"a\\000b\""), "a");
    EXPECT_EQ(decodeTraceText("\"a\\400b\""), "a");
}

TEST(DecodeTraceText, Encodings)
{
    const std::string cafeUtf8 = "caf\xc3\xa9";
    // Named encodings; the name keeps its opening quote, which the lookup ignores.
    EXPECT_EQ(decodeTraceText("\"ISO-8859-1\" \"caf\xe9\""), cafeUtf8);
    EXPECT_EQ(decodeTraceText("\"iso8859-1\" \"caf\xe9\""), cafeUtf8);
    EXPECT_EQ(decodeTraceText("\"ISO_8859_1\"\"caf\xe9\" and after"), cafeUtf8);
    EXPECT_EQ(decodeTraceText("\"KOI8-R\" \"\xc1\""), "\xd0\xb0"); // Cyrillic a
    EXPECT_EQ(decodeTraceText("\"UTF-8\" \"" + cafeUtf8 + "\""), cafeUtf8);
    // UTF-8 names the toolkit's own converter: one replacement per byte of an
    // invalid sequence; the escape then takes the first byte of the third.
    EXPECT_EQ(decodeTraceText("\"UTF-8\" \"A\xef\xbd\\\x95"
                              "B\""),
              "A\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
              "B");
    // Only the letters and digits of the name count.
    EXPECT_EQ(decodeTraceText("\"windows,1252\" \"\x80 euro\""), "\xe2\x82\xac euro");
    // Escapes are resolved after the conversion.
    EXPECT_EQ(decodeTraceText("\"latin1\" \"\xe9\\t\\101\""), "\xc3\xa9\tA");
    // An unknown name falls back to the locale encoding (UTF-8 here).
    EXPECT_EQ(decodeTraceText("\"no-such-codec\" \"" + cafeUtf8 + "\""), cafeUtf8);
    EXPECT_EQ(decodeTraceText("\"\" \"" + cafeUtf8 + "\""), cafeUtf8);
    // Without four quotes the whole text is UTF-8; invalid bytes become U+FFFD.
    EXPECT_EQ(decodeTraceText("\"" + cafeUtf8 + "\""), cafeUtf8);
    EXPECT_EQ(decodeTraceText("\"a\xff\""), "a\xef\xbf\xbd");
    EXPECT_EQ(decodeTraceText("\"x\" \"y\" \"z\""), "x\" \"y\" \"z");
}

TEST(DecodeTraceText, AsciiMatchesTheUnicodeRoundTrip)
{
    // Plain ASCII skips the conversion; it must give what the conversion gives.
    std::string ascii;
    for (int c = 1; c < 0x80; ++c)
        if (c != '"' && c != '\\')
            ascii.push_back(char(c));
    EXPECT_EQ(toLocal8(QString::fromUtf8(ascii.data(), qsizetype(ascii.size()))), ascii);
    EXPECT_EQ(decodeTraceText("\"" + ascii + "\""), ascii);
}

} // namespace
} // namespace qv
