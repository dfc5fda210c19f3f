// The writer's output block and its per-document translations.
#include "model/kinds.h"
#include "model/tree.h"
#include "report/scriptsection.h"
#include "report/xrdwriter.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace qv {
namespace {

/// Marks every text it is asked for, so that a test sees which lookups went
/// through translation.
class MarkingTranslator : public QTranslator {
public:
    QString translate(const char*, const char* source, const char* = nullptr, int = -1) const override
    {
        return QStringLiteral("<%1>").arg(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(WriterBlock, TextsLongerThanTheBlockInFileAndMemory)
{
    // Texts longer than the output block, raw and escaped, between short
    // markup: both outputs hold the same bytes in the same order.
    const std::string plain(700 * 1024, 'p');
    std::string special;
    for (int i = 0; i < 100000; ++i)
        special += "a<b ";
    special += "end";
    auto write = [&](XrdWriter& w) {
        w.writeTag("A", false);
        w.writeRaw(plain);
        w.writeTextCell(special, StyleCode::StylePlain);
        w.writeTag("A", true);
    };
    std::string escaped;
    for (int i = 0; i < 100000; ++i)
        escaped += "a&lt;b ";
    escaped += "end";
    const std::string expected =
        "<A>\n" + plain + "<CELL_TEXT STYLE=\"Array\">" + escaped + "</CELL_TEXT>\n</A>\n";

    XrdWriter memory;
    memory.openMemory();
    write(memory);
    EXPECT_TRUE(memory.buffer() == expected);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("big.xrd")).toStdString();
    XrdWriter file;
    ASSERT_TRUE(file.open(path.c_str()));
    write(file);
    EXPECT_TRUE(file.close());
    EXPECT_TRUE(readFile(path) == expected);
    EXPECT_TRUE(file.buffer().empty()); // a file's text is not kept in memory
}

TEST(WriterTranslations, LookedUpOncePerDocument)
{
    XrdWriter writer;
    writer.openMemory();
    const std::string& before = statusWordText(writer, NodeStatus::Passed);
    EXPECT_EQ(before, "Passed");
    writer.writeHeaderRow(StyleCode::StyleTitle, 0);
    const std::string firstRow = writer.buffer();

    MarkingTranslator marking;
    ASSERT_TRUE(QCoreApplication::installTranslator(&marking));
    // Within the document the words stay as first looked up, and references
    // handed out earlier stay valid while more words are added.
    EXPECT_EQ(statusWordText(writer, NodeStatus::Passed), "Passed");
    EXPECT_EQ(&statusWordText(writer, NodeStatus::Passed), &before);
    EXPECT_EQ(stateStatusWordText(writer, NodeStatus::NotExecuted), "<Not Reached>");
    EXPECT_EQ(transitionStatusWordText(writer, NodeStatus::Failed), "<Failed>");
    EXPECT_EQ(kindNameText(writer, ElementKind::TestCase), "<Test Case>");
    EXPECT_EQ(before, "Passed");
    writer.writeHeaderRow(StyleCode::StyleTitle, 0);
    EXPECT_EQ(writer.buffer(), firstRow + firstRow);

    // A new document looks them up again.
    writer.openMemory();
    EXPECT_EQ(statusWordText(writer, NodeStatus::Passed), "<Passed>");
    writer.writeHeaderRow(StyleCode::StyleTitle, 0);
    EXPECT_NE(writer.buffer().find("<CELL_TEXT STYLE=\"Array Title\">&lt;Expression&gt;"), std::string::npos)
        << writer.buffer();
    QCoreApplication::removeTranslator(&marking);

    writer.openMemory();
    EXPECT_EQ(statusWordText(writer, NodeStatus::Failed), "Failed");
    EXPECT_EQ(statusWordText(writer, NodeStatus::Executed), "Not Executed");
    EXPECT_EQ(kindNameText(writer, ElementKind(33)), "-?\?-"); // no kind: never translated
    EXPECT_EQ(kindNameText(writer, ElementKind::Nc), "# ");
}

TEST(WriterTranslations, HeaderRowsByStyleAndMethodColumn)
{
    // Each of the cached rows matches the row written cell by cell.
    for (const StyleCode style :
         {StyleCode::StyleTitle, StyleCode::StylePlain, StyleCode::StyleFailed, StyleCode::StylePassed}) {
        for (int withMethod = 0; withMethod < 2; ++withMethod) {
            XrdWriter expected;
            expected.openMemory();
            expected.writeTag("ROW", false);
            if (withMethod)
                expected.writeTextCell("Method", style);
            for (const char* label : {"Expression", "Status", "Executed", "Failed", "Passed"})
                expected.writeTextCell(label, style);
            expected.writeTag("ROW", true);

            XrdWriter writer;
            writer.openMemory();
            writer.writeHeaderRow(style, withMethod);
            writer.writeHeaderRow(style, withMethod);
            EXPECT_EQ(writer.buffer(), expected.buffer() + expected.buffer())
                << int(style) << ' ' << withMethod;
        }
    }
}

TEST(WriterEscaping, EverySpecialByteAtEveryPosition)
{
    // Plain texts are copied whole and others escaped: a special byte or a
    // pair of blanks is noticed wherever it lies, also where blocks of bytes
    // checked together meet.
    XrdWriter writer;
    auto escapeText = [&writer](const std::string& text) {
        writer.openMemory();
        writer.writeEscaped(text);
        return writer.buffer();
    };
    for (size_t length = 1; length <= 50; ++length) {
        for (size_t at = 0; at < length; ++at) {
            const std::string plain(length, 'a');
            auto with = [&](const std::string& piece) {
                std::string t = plain;
                t.replace(at, 1, piece);
                return t;
            };
            ASSERT_EQ(escapeText(plain), plain);
            ASSERT_EQ(escapeText(with("&")), with("&amp;")) << length << ' ' << at;
            ASSERT_EQ(escapeText(with("<")), with("&lt;")) << length << ' ' << at;
            ASSERT_EQ(escapeText(with(">")), with("&gt;")) << length << ' ' << at;
            ASSERT_EQ(escapeText(with("\"")), with("&quot;")) << length << ' ' << at;
            ASSERT_EQ(escapeText(with("\x01")), with("\xEF\xBF\xBD")) << length << ' ' << at;
            ASSERT_EQ(escapeText(with("\xC3")), with("\xEF\xBF\xBD")) << length << ' ' << at;
            if (at > 0 && at + 2 < length) {
                std::string doubled = plain;
                doubled[at] = doubled[at + 1] = ' ';
                std::string single = plain;
                single.replace(at, 2, " ");
                ASSERT_EQ(escapeText(doubled), single) << length << ' ' << at;
                std::string spaced = plain;
                spaced[at] = ' ';
                ASSERT_EQ(escapeText(spaced), spaced) << length << ' ' << at;
            }
        }
    }
}

} // namespace
} // namespace qv
