// XML markup primitives: escaping, the exact markup of every writer
// operation, the tag counter and write-error tracking.
#include "report/xrdwriter.h"

#include "model/tree.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace qv {
namespace {

const std::string Replacement = "\xEF\xBF\xBD";

/// The escaping of a whole text, as the document appends it to its tags.
std::string escapeText(std::string_view text)
{
    std::string out;
    appendEscaped(out, text);
    return out;
}

// Independent reference of the escaping, built from Qt's own decoder and
// Unicode tables: decode, simplify, map characters XML forbids, then the five
// replacements applied one after the other over the whole text.
// Code points to a QString; fromUcs4 would drop a leading U+FEFF as a byte order mark.
QString fromCodePoints(const std::vector<char32_t>& chars)
{
    QString text;
    for (const char32_t c : chars) {
        if (QChar::requiresSurrogates(c)) {
            text += QChar(QChar::highSurrogate(c));
            text += QChar(QChar::lowSurrogate(c));
        } else {
            text += QChar(char16_t(c));
        }
    }
    return text;
}

std::string referenceEscape(const std::string& bytes)
{
    const QString decoded = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    std::vector<char32_t> chars;
    for (const char32_t c : decoded.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        const bool white = (c >= 0x09 && c <= 0x0D) || category == QChar::Separator_Space ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph;
        if (white) {
            chars.push_back(U' ');
            continue;
        }
        const bool forbidden = c < 0x20 || c == 0xFFFE || c == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF);
        chars.push_back(forbidden ? char32_t(0xFFFD) : c);
    }
    // Simplification over the mapped characters: trim, collapse runs.
    std::vector<char32_t> simple;
    for (const char32_t c : chars) {
        if (c == U' ' && (simple.empty() || simple.back() == U' '))
            continue;
        simple.push_back(c);
    }
    if (!simple.empty() && simple.back() == U' ')
        simple.pop_back();
    QString text = fromCodePoints(simple);
    text.replace(QLatin1String("&"), QLatin1String("&amp;"));
    text.replace(QLatin1String("\\n"), QLatin1String("&#10;"));
    text.replace(QLatin1String("\""), QLatin1String("&quot;"));
    text.replace(QLatin1String("<"), QLatin1String("&lt;"));
    text.replace(QLatin1String(">"), QLatin1String("&gt;"));
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), size_t(utf8.size()));
}

std::string hex(const std::string& bytes)
{
    std::ostringstream out;
    for (const unsigned char c : bytes)
        out << std::hex << int(c) << ' ';
    return out.str();
}

TEST(EscapeText, SimplifiesWhiteSpace)
{
    EXPECT_EQ(escapeText("  one\ttwo\nthree  "), "one two three");
    EXPECT_EQ(escapeText("a \t\r\n\v\f b"), "a b");
    EXPECT_EQ(escapeText(""), "");
    EXPECT_EQ(escapeText(" \t\n "), "");
    // No-break space, ogham space, en quad, line and paragraph separators,
    // narrow no-break space, ideographic space are white space.
    EXPECT_EQ(escapeText("\xC2\xA0"
                         "a\xE1\x9A\x80"
                         "b\xE2\x80\x80"
                         "c\xE2\x80\xA8\xE2\x80\xA9"
                         "d"
                         "\xE2\x80\xAF"
                         "e\xE3\x80\x80"),
              "a b c d e");
    // Next line and the information separators are not white space.
    EXPECT_EQ(escapeText("a\xC2\x85"
                         "b"),
              "a\xC2\x85"
              "b");
    EXPECT_EQ(escapeText("a\x1C"
                         "b"),
              "a" + Replacement + "b");
}

TEST(EscapeText, ReplacesMarkupCharactersInOrder)
{
    EXPECT_EQ(escapeText("a<b>c&d\"e"), "a&lt;b&gt;c&amp;d&quot;e");
    // The ampersand rule runs first; inserted references stay untouched.
    EXPECT_EQ(escapeText("A&B\\n"), "A&amp;B&#10;");
    EXPECT_EQ(escapeText("&lt;"), "&amp;lt;");
    EXPECT_EQ(escapeText("x\\ty\\"), "x\\ty\\");
    EXPECT_EQ(escapeText("\\\\n"), "\\&#10;");
    EXPECT_EQ(escapeText("\\nn"), "&#10;n");
    // The escape needs the letter right after the backslash, after simplification.
    EXPECT_EQ(escapeText("\\ \t n"), "\\ n");
    EXPECT_EQ(escapeText("x\\n  "), "x&#10;");
    EXPECT_EQ(escapeText("\\N"), "\\N");
}

TEST(EscapeText, KeepsApostropheAndNonAscii)
{
    EXPECT_EQ(escapeText("it's"), "it's");
    EXPECT_EQ(escapeText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(escapeText("\xF0\x9F\x98\x80 \xE4\xB8\xAD"), "\xF0\x9F\x98\x80 \xE4\xB8\xAD");
    EXPECT_EQ(escapeText("del\x7F"), "del\x7F");
}

TEST(EscapeText, ForbiddenAndBrokenCharactersBecomeReplacement)
{
    EXPECT_EQ(escapeText(std::string("a\0b", 3)), "a" + Replacement + "b");
    EXPECT_EQ(escapeText("\x01x\x1F"), Replacement + "x" + Replacement);
    EXPECT_EQ(escapeText("\xEF\xBF\xBE\xEF\xBF\xBF"), Replacement + Replacement);
    // Every byte of a broken sequence gives one replacement character.
    EXPECT_EQ(escapeText("\xED\xA0\x80"), Replacement + Replacement + Replacement);
    EXPECT_EQ(escapeText("\xC0\x80z"), Replacement + Replacement + "z");
    EXPECT_EQ(escapeText("\xF4\x90\x80\x80"), Replacement + Replacement + Replacement + Replacement);
    EXPECT_EQ(escapeText("a\xE1\x80"), "a" + Replacement + Replacement);
    EXPECT_EQ(escapeText("\xE1\x80<"), Replacement + Replacement + "&lt;");
    EXPECT_EQ(escapeText("\xFF\\n"), Replacement + "&#10;");
    // A byte order mark is dropped only at the very start.
    EXPECT_EQ(escapeText("\xEF\xBB\xBF"
                         "a"),
              "a");
    EXPECT_EQ(escapeText("a\xEF\xBB\xBF"), "a\xEF\xBB\xBF");
}

TEST(EscapeText, AppendsToExistingText)
{
    std::string out = "head:";
    appendEscaped(out, " x  y ");
    appendEscaped(out, "plain");
    EXPECT_EQ(out, "head:x yplain");
}

// The hand-written decoder and transform agree with Qt's decoding and
// Unicode tables on random byte strings rich in edge cases.
TEST(EscapeText, MatchesReferenceOnRandomBytes)
{
    const std::vector<std::string> pieces = {" ",
                                             "\t",
                                             "\n",
                                             "\r",
                                             "\v",
                                             "\f",
                                             "\x1C",
                                             "\x1F",
                                             std::string(1, '\0'),
                                             "\x01",
                                             "&",
                                             "<",
                                             ">",
                                             "\"",
                                             "'",
                                             "\\",
                                             "n",
                                             "\\n",
                                             "a",
                                             "Z",
                                             "\x7F",
                                             "\xC2\xA0",
                                             "\xC2\x85",
                                             "\xE1\x9A\x80",
                                             "\xE2\x80\x8A",
                                             "\xE2\x80\x8B",
                                             "\xE2\x80\xA8",
                                             "\xE2\x80\xA9",
                                             "\xE2\x80\xAF",
                                             "\xE2\x81\x9F",
                                             "\xE3\x80\x80",
                                             "\xE1\xA0\x8E",
                                             "\xEF\xBB\xBF",
                                             "\xEF\xBF\xBE",
                                             "\xEF\xBF\xBF",
                                             "\xEF\xBF\xBD",
                                             "\xED\xA0\x80",
                                             "\xED\xBF\xBF",
                                             "\xED\x9F\xBF",
                                             "\xF4\x8F\xBF\xBF",
                                             "\xF4\x90\x80\x80",
                                             "\xF0\x8F\xBF\xBF",
                                             "\xE0\x9F\xBF",
                                             "\xC0\xAF",
                                             "\xC1\xBF",
                                             "\xF0\x9F\x98\x80",
                                             "\xC3\xA9",
                                             "\xE4\xB8\xAD",
                                             "\xF8\x88\x80\x80\x80",
                                             "\xFE",
                                             "\xFF"};
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 14);
    int checked = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string bytes;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            switch (kind(random)) {
            case 0: bytes += char(byte(random)); break;
            case 1: // a continuation or lead byte
                bytes += char(0x80 + byte(random) % 0x80);
                break;
            default: bytes += pieces[piece(random)]; break;
            }
        }
        const std::string expected = referenceEscape(bytes);
        const std::string actual = escapeText(bytes);
        ASSERT_EQ(actual, expected) << "input bytes: " << hex(bytes);
        ++checked;
    }
    EXPECT_EQ(checked, 200000);
}

// Every single code point, as UTF-8, against the reference.
TEST(EscapeText, MatchesReferenceOnEveryCodePoint)
{
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QByteArray utf8 = fromCodePoints({c}).toUtf8();
        const std::string bytes = "x" + std::string(utf8.constData(), size_t(utf8.size())) + "y";
        ASSERT_EQ(escapeText(bytes), referenceEscape(bytes)) << "code point " << std::hex << c;
    }
}

TEST(StatusMappings, StyleAndStateWord)
{
    EXPECT_EQ(statusStyle(NodeStatus::NotExecuted), StyleCode::StylePlain);
    EXPECT_EQ(statusStyle(NodeStatus::Executed), StyleCode::StylePlain);
    EXPECT_EQ(statusStyle(NodeStatus::Failed), StyleCode::StyleFailed);
    EXPECT_EQ(statusStyle(NodeStatus::Passed), StyleCode::StylePassed);
    EXPECT_STREQ(xrodStateWord(NodeStatus::NotExecuted), "NE");
    EXPECT_STREQ(xrodStateWord(NodeStatus::Executed), "NE");
    EXPECT_STREQ(xrodStateWord(NodeStatus::Failed), "ko");
    EXPECT_STREQ(xrodStateWord(NodeStatus::Passed), "ok");
}

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override { writer.openMemory(); }
    std::string take()
    {
        std::string s = writer.buffer();
        writer.openMemory();
        return s;
    }
    XrdWriter writer;
};

TEST_F(WriterTest, TagsAndRawMarkup)
{
    writer.writeTag("ROW", false);
    writer.writeTag("TABLE", true);
    writer.writeTag("TABLE BORDER=\"1\"", false);
    writer.writeRaw("<a&b>");
    EXPECT_EQ(take(), "<ROW>\n</TABLE>\n<TABLE BORDER=\"1\">\n<a&b>");
}

TEST_F(WriterTest, EscapedTextBothForms)
{
    writer.writeEscaped(std::string_view(" a  <b> "));
    writer.writeEscaped(QString::fromUtf8("\xC3\xA9\t&"));
    EXPECT_EQ(take(), "a &lt;b&gt;\xC3\xA9 &amp;");
}

TEST_F(WriterTest, TextCellsOfEveryStyle)
{
    writer.writeTextCell("T", StyleCode::StyleTitle);
    writer.writeTextCell(" x ", StyleCode::StylePlain);
    writer.writeTextCell("", StyleCode::StyleFailed);
    writer.writeTextCell("a\"b", StyleCode::StylePassed);
    writer.writeTextCell("odd", StyleCode(7));
    writer.writeNumberCell(-12, StyleCode::StylePlain);
    writer.writeNumberCell(1234567890123LL, StyleCode::StylePassed);
    EXPECT_EQ(take(),
              "<CELL_TEXT STYLE=\"Array Title\">T</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array\">x</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Failed\"></CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Passed\">a&quot;b</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Failed\">odd</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array\">-12</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Passed\">1234567890123</CELL_TEXT>\n");
}

TEST_F(WriterTest, LinkCells)
{
    writer.writeLinkCell("check <1>", StyleCode::StylePlain, "C:\\tests\\my script.ots", 12);
    EXPECT_EQ(take(),
              "<CELL STYLE=\"Array\"><LINK TARGET=\"C:\\tests\\my script.ots line 12\">\n"
              "<TEXT>check &lt;1&gt;</TEXT>\n</LINK>\n</CELL>\n");
    writer.writeLinkCell("", StyleCode(-1), "a&b", 0);
    EXPECT_EQ(take(),
              "<CELL STYLE=\"Array Failed\"><LINK TARGET=\"a&amp;b line 0\">\n"
              "<TEXT></TEXT>\n</LINK>\n</CELL>\n");
    writer.writeLinkCell("t", StyleCode::StyleTitle, "p", 1);
    writer.writeLinkCell("t", StyleCode::StylePassed, "p", 2);
    EXPECT_EQ(take(),
              "<CELL STYLE=\"Array Title\"><LINK TARGET=\"p line 1\">\n"
              "<TEXT>t</TEXT>\n</LINK>\n</CELL>\n"
              "<CELL STYLE=\"Array Passed\"><LINK TARGET=\"p line 2\">\n"
              "<TEXT>t</TEXT>\n</LINK>\n</CELL>\n");
}

TEST_F(WriterTest, TitlesStyleNumberAndMarks)
{
    writer.writeTitle("Case", 2, StyleCode(7), 12);
    EXPECT_EQ(take(),
              "<TITLE LEVEL=\"2\" TAG=\"nodex12\" STYLE=\"Title3\">\n"
              "<TEXT>Case</TEXT>\n</TITLE>\n");
    writer.writeTitle("Sum", 0, StyleCode::StylePassed, 3);
    EXPECT_EQ(take(),
              "<TITLE LEVEL=\"0\" TAG=\"nodex3\" STYLE=\"Title1 Passed\">\n"
              "<TEXT>Sum</TEXT>\n</TITLE>\n");
    writer.writeTitle(" deep\ttext ", 6, StyleCode::StyleFailed, 40);
    EXPECT_EQ(take(),
              "<TITLE LEVEL=\"6\" TAG=\"nodex40\" STYLE=\"Title5 Failed\">\n"
              "<TEXT>deep text</TEXT>\n</TITLE>\n");
    writer.writeTitle("", 3, StyleCode::StyleTitle, 1);
    writer.writeTitle("x", 4, StyleCode::StylePlain, 2);
    EXPECT_EQ(take(),
              "<TITLE LEVEL=\"3\" TAG=\"nodex1\" STYLE=\"Title4\">\n<TEXT></TEXT>\n</TITLE>\n"
              "<TITLE LEVEL=\"4\" TAG=\"nodex2\" STYLE=\"Title5\">\n<TEXT>x</TEXT>\n</TITLE>\n");
}

TEST_F(WriterTest, LinkTitles)
{
    writer.writeLinkTitle("Test Case <tc>", 1, StyleCode::StylePassed, 9, "/src/a.ots", 77);
    EXPECT_EQ(take(),
              "<TITLE LEVEL=\"1\" TAG=\"nodex9\" STYLE=\"Title2 Passed\">\n"
              "<LINK TARGET=\"/src/a.ots line 77\">\n"
              "<TEXT>Test Case &lt;tc&gt;</TEXT>\n</LINK>\n</TITLE>\n");
}

TEST_F(WriterTest, NodeOpenSumAndIcon)
{
    writer.writeNodeOpen("Global Report", "Global Report", "ok", 0, NodeIcon::ScriptIcon);
    EXPECT_EQ(take(),
              "<XROD:NODE name=\"Global Report\" type=\"Global Report\" state=\"ok\""
              " icone=\"testscript.xpm\">");
    writer.writeNodeOpen("a\"b", "T<", "ko", 2, NodeIcon::ClassIcon);
    EXPECT_EQ(take(),
              "<XROD:NODE name=\"a&quot;b\" type=\"T&lt;\" state=\"ko\" sum=\"2\""
              " icone=\"class.xpm\">");
    writer.writeNodeOpen("m", "Method", "NE", -5, NodeIcon::MethodIcon);
    EXPECT_EQ(take(), "<XROD:NODE name=\"m\" type=\"Method\" state=\"NE\" icone=\"method.xpm\">");
    writer.writeNodeOpen("n", "t", "ok", 1, NodeIcon(3));
    EXPECT_EQ(take(), "<XROD:NODE name=\"n\" type=\"t\" state=\"ok\" sum=\"1\">");
    writer.writeNodeOpen("n", "t", "ok", 0, NodeIcon(-1));
    EXPECT_EQ(take(), "<XROD:NODE name=\"n\" type=\"t\" state=\"ok\">");
}

TEST_F(WriterTest, HeaderRows)
{
    writer.writeHeaderRow(StyleCode::StyleTitle, 0);
    EXPECT_EQ(take(),
              "<ROW>\n"
              "<CELL_TEXT STYLE=\"Array Title\">Expression</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Title\">Status</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Title\">Executed</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Title\">Failed</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array Title\">Passed</CELL_TEXT>\n"
              "</ROW>\n");
    writer.writeHeaderRow(StyleCode::StylePlain, 1);
    EXPECT_EQ(take(),
              "<ROW>\n"
              "<CELL_TEXT STYLE=\"Array\">Method</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array\">Expression</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array\">Status</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array\">Executed</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array\">Failed</CELL_TEXT>\n"
              "<CELL_TEXT STYLE=\"Array\">Passed</CELL_TEXT>\n"
              "</ROW>\n");
}

TEST(XrdWriterCounter, NextTagStartsAtOneAndRises)
{
    XrdWriter writer;
    EXPECT_EQ(writer.nextTag(), 1);
    EXPECT_EQ(writer.nextTag(), 2);
    writer.openMemory(); // reopening never resets the counter
    EXPECT_EQ(writer.nextTag(), 3);
}

TEST(XrdWriterFile, WritesTheSameBytesAsMemory)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("out.xrd")).toStdString();

    auto writeSample = [](XrdWriter& w) {
        for (int i = 0; i < 20000; ++i) { // beyond one output block
            w.writeTag("ROW", false);
            w.writeTextCell("value & <more>", StyleCode(i % 4));
            w.writeNumberCell(i, StyleCode::StylePlain);
            w.writeTag("ROW", true);
        }
    };
    XrdWriter memory;
    memory.openMemory();
    writeSample(memory);

    XrdWriter file;
    ASSERT_TRUE(file.open(path.c_str()));
    writeSample(file);
    EXPECT_FALSE(file.failed());
    EXPECT_TRUE(file.close());

    std::ifstream in(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written.size(), memory.buffer().size());
    EXPECT_TRUE(written == memory.buffer());
}

TEST(XrdWriterFile, OpenFailsForMissingDirectory)
{
    XrdWriter writer;
    EXPECT_FALSE(writer.open("/nonexistent-dir-qv/out.xrd"));
    writer.writeTag("ROW", false); // dropped, no crash
    EXPECT_TRUE(writer.buffer().empty());
}

TEST(XrdWriterFile, FullDeviceIsAWriteError)
{
    {
        XrdWriter writer;
        ASSERT_TRUE(writer.open("/dev/full"));
        writer.writeTag("XROD", false);
        EXPECT_FALSE(writer.close());
        EXPECT_TRUE(writer.failed());
    }
    {
        XrdWriter writer;
        ASSERT_TRUE(writer.open("/dev/full"));
        for (int i = 0; i < 100000; ++i)
            writer.writeTextCell("some text", StyleCode::StylePlain);
        EXPECT_TRUE(writer.failed()); // noticed already while writing
        EXPECT_FALSE(writer.close());
    }
}

} // namespace
} // namespace qv
