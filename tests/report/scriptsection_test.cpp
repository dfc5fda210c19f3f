// Test script sections: the nested entries of suites, cases, procedures and
// stubs, their result tables, comment blocks with trace texts, and the depth
// that the writer survives.
#include "report/scriptsection.h"

#include "model/evaluation.h"
#include "model/kinds.h"
#include "model/tree.h"
#include "report/onescript.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qv {
namespace {

const char* const Header5 = "<ROW>\n"
                            "<CELL_TEXT STYLE=\"Array Title\">Expression</CELL_TEXT>\n"
                            "<CELL_TEXT STYLE=\"Array Title\">Status</CELL_TEXT>\n"
                            "<CELL_TEXT STYLE=\"Array Title\">Executed</CELL_TEXT>\n"
                            "<CELL_TEXT STYLE=\"Array Title\">Failed</CELL_TEXT>\n"
                            "<CELL_TEXT STYLE=\"Array Title\">Passed</CELL_TEXT>\n"
                            "</ROW>\n";

/// Script entries of the one-script tree, written into memory.
class ScriptSectionTest : public OneScriptTest {
protected:
    /// Writes the entry of the node into memory, with tags starting at `firstTag`.
    std::string render(uint32_t id, const std::optional<std::string>& path, int level = 1, int firstTag = 1)
    {
        XrdWriter writer;
        writer.openMemory();
        for (int tag = 1; tag < firstTag; ++tag)
            writer.nextTag();
        ScriptSectionContext context;
        context.output = &writer;
        context.tree = &tree;
        context.scriptPath = &path;
        context.level = level;
        writeScriptElement(tree.findNode(0, id), context);
        return writer.buffer();
    }
};

TEST_F(ScriptSectionTest, CaseWithoutChildrenGetsOneStatusRow)
{
    add(ElementKind::TestCase, 2, "Lonely", 1, 7);
    evaluateTree(tree);
    const std::string expected =
        "<XROD:NODE name=\"Lonely\" type=\"Test Case\" state=\"NE\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"1\" TAG=\"nodex1\" STYLE=\"Title2\">\n"
        "<LINK TARGET=\"src/script.kts line 7\">\n"
        "<TEXT>Test Case Lonely</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n" +
        std::string(Header5) +
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">Not Executed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\"></CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "</XROD:NODE>\n";
    EXPECT_EQ(render(2, std::string("src/script.kts")), expected);
}

TEST_F(ScriptSectionTest, ReachedProcWithOnlyNonVerdictChildrenShowsItsOwnStatus)
{
    add(ElementKind::Proc, 2, "Helper", 1, 30);
    add(ElementKind::Expression, 3, "x = 1", 2, 31);
    hit(2);
    evaluateTree(tree);
    // The Expression child is no verdict kind: the single status row appears.
    const std::string expected =
        "<XROD:NODE name=\"Helper\" type=\"Proc\" state=\"ok\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"3\" TAG=\"nodex9\" STYLE=\"Title4 Passed\">\n"
        "<LINK TARGET=\" line 30\">\n"
        "<TEXT>Proc Helper</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n" +
        std::string(Header5) +
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">Passed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "</XROD:NODE>\n";
    // No script path: the title link has an empty path before the line part.
    EXPECT_EQ(render(2, std::nullopt, 3, 9), expected);
}

TEST_F(ScriptSectionTest, CommentInTheMiddleSplitsTheTable)
{
    add(ElementKind::TestCase, 2, "Case", 1, 12);
    add(ElementKind::CheckExpression, 3, "a == 1", 2, 13);
    add(ElementKind::Comment, 4, "note", 2, 14);
    add(ElementKind::CheckMethod, 5, "b.ok()", 2, 15);
    hit(3);
    hit(3, TraceEvent::PassVerdict);
    tree.attachTraceText(0, 4, "first <text>");
    tree.attachTraceText(0, 4, "second\\ntext");
    hit(4);
    hit(5);
    hit(5, TraceEvent::FailVerdict);
    evaluateTree(tree);
    // The titles take the context's path; the comment link takes its file's path.
    const std::string expected =
        "<XROD:NODE name=\"Case\" type=\"Test Case\" state=\"ko\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"2\" TAG=\"nodex1\" STYLE=\"Title3 Failed\">\n"
        "<LINK TARGET=\"given/path.kts line 12\">\n"
        "<TEXT>Test Case Case</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n" +
        std::string(Header5) +
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">a == 1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">Passed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">0</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"55,45\">\n"
        "<ROW>\n"
        "<CELL STYLE=\"Array\">\n"
        "<IMAGE NAME=\"arrow10.xpm\"/><LINK TARGET=\"src/script.kts line 14\">\n"
        "<TEXT>Comment:note</TEXT>\n"
        "</LINK>\n"
        "</CELL>\n"
        "<CELL STYLE=\"Array\">\n"
        "<TEXT>(x1)</TEXT>\n"
        "</CELL>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "<TABLE BORDER=\"0\" WIDTH=\"5,95\">\n"
        "<ROW>\n"
        "<CELL STYLE=\"Array\">\n"
        "</CELL>\n"
        "<CELL STYLE=\"Array\">\n"
        "<TEXT>first &lt;text&gt;</TEXT>\n"
        "</CELL>\n"
        "</ROW>\n"
        "<ROW>\n"
        "<CELL STYLE=\"Array\">\n"
        "</CELL>\n"
        "<CELL STYLE=\"Array\">\n"
        "<TEXT>second&#10;text</TEXT>\n"
        "</CELL>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Failed\">b.ok()</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Failed\">Failed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Failed\">1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Failed\">1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Failed\">0</CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "</XROD:NODE>\n";
    EXPECT_EQ(render(2, std::string("given/path.kts"), 2), expected);
}

TEST_F(ScriptSectionTest, PrintAsLastChildLeavesAnEmptyReopenedTable)
{
    add(ElementKind::Stub, 2, "open", 1, 40);
    add(ElementKind::CheckStub, 3, "mode", 2, 41);
    add(ElementKind::Print, 4, "\"value\"", 2, 42);
    add(ElementKind::Call, 5, "call", 2, 43);
    hit(3);
    hit(3, TraceEvent::PassVerdict);
    evaluateTree(tree);
    // A print never reached counts 0; its label joins kind and name directly;
    // the Call child after it writes nothing.
    const std::string expected =
        "<XROD:NODE name=\"open\" type=\"Stub\" state=\"NE\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"1\" TAG=\"nodex1\" STYLE=\"Title2\">\n"
        "<LINK TARGET=\"src/script.kts line 40\">\n"
        "<TEXT>Stub open</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n" +
        std::string(Header5) +
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">mode</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">Passed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">0</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"55,45\">\n"
        "<ROW>\n"
        "<CELL STYLE=\"Array\">\n"
        "<IMAGE NAME=\"arrow10.xpm\"/><LINK TARGET=\"src/script.kts line 42\">\n"
        "<TEXT>Print&quot;value&quot;</TEXT>\n"
        "</LINK>\n"
        "</CELL>\n"
        "<CELL STYLE=\"Array\">\n"
        "<TEXT>(x0)</TEXT>\n"
        "</CELL>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n"
        "</TABLE>\n"
        "</XROD:NODE>\n";
    EXPECT_EQ(render(2, std::string("src/script.kts")), expected);
}

TEST_F(ScriptSectionTest, SuitesNestWithLevelsAndTagsInDocumentOrder)
{
    add(ElementKind::TestSuite, 2, "Outer", 1, 1);
    add(ElementKind::Prologue, 3, "setup", 2, 2);
    add(ElementKind::TestCase, 4, "Hidden", 3, 3); // under the prologue: never written
    add(ElementKind::TestClass, 5, "Inner", 2, 5);
    add(ElementKind::TestCase, 6, "One", 5, 6);
    add(ElementKind::Epilogue, 7, "teardown", 2, 9);
    add(ElementKind::TestCase, 8, "Two", 2, 10);
    add(ElementKind::CheckExpression, 9, "t", 8, 11);
    hit(4);
    hit(6);
    hit(9);
    hit(9, TraceEvent::PassVerdict);
    evaluateTree(tree);
    const std::string expected =
        "<XROD:NODE name=\"Outer\" type=\"Test Suite\" state=\"ok\" icone=\"class.xpm\">"
        "<TITLE LEVEL=\"4\" TAG=\"nodex20\" STYLE=\"Title5 Passed\">\n"
        "<LINK TARGET=\"s line 1\">\n"
        "<TEXT>Test Suite Outer</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<XROD:NODE name=\"Inner\" type=\"Test Class\" state=\"ok\" icone=\"class.xpm\">"
        "<TITLE LEVEL=\"5\" TAG=\"nodex21\" STYLE=\"Title5 Passed\">\n"
        "<LINK TARGET=\"s line 5\">\n"
        "<TEXT>Test Class Inner</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<XROD:NODE name=\"One\" type=\"Test Case\" state=\"ok\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"6\" TAG=\"nodex22\" STYLE=\"Title5 Passed\">\n"
        "<LINK TARGET=\"s line 6\">\n"
        "<TEXT>Test Case One</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n" +
        std::string(Header5) +
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">Passed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\"></CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "</XROD:NODE>\n"
        "</XROD:NODE>\n"
        "<XROD:NODE name=\"Two\" type=\"Test Case\" state=\"ok\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"5\" TAG=\"nodex23\" STYLE=\"Title5 Passed\">\n"
        "<LINK TARGET=\"s line 10\">\n"
        "<TEXT>Test Case Two</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n" +
        std::string(Header5) +
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">t</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">Passed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">0</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "</XROD:NODE>\n"
        "</XROD:NODE>\n";
    EXPECT_EQ(render(2, std::string("s"), 4, 20), expected);
}

TEST_F(ScriptSectionTest, KindsWithoutSectionWriteNothing)
{
    add(ElementKind::Prologue, 2, "setup", 1, 2);
    add(ElementKind::TestCase, 3, "Inside", 2, 3);
    add(ElementKind::Class, 4, "Account", 1, 4);
    evaluateTree(tree);
    EXPECT_EQ(render(2, std::string("s")), "");
    EXPECT_EQ(render(4, std::string("s")), "");
    XrdWriter writer;
    writer.openMemory();
    ScriptSectionContext context;
    context.output = &writer;
    writeScriptElement(nullptr, context);
    EXPECT_EQ(writer.buffer(), "");
    EXPECT_EQ(writer.nextTag(), 1);
}

TEST_F(ScriptSectionTest, LongNamesAreWrittenWhole)
{
    const std::string name(5000, 'n');
    add(ElementKind::TestSuite, 2, name.c_str(), 1, 3);
    evaluateTree(tree);
    const std::string out = render(2, std::string("s"));
    EXPECT_NE(out.find("<TEXT>Test Suite " + name + "</TEXT>\n"), std::string::npos);
    EXPECT_NE(out.find("name=\"" + name + "\""), std::string::npos);
}

TEST(ResultWords, SpellEveryStatus)
{
    XrdWriter writer;
    writer.openMemory();
    auto statusWord = [&writer](NodeStatus s) { return statusWordText(writer, s); };
    auto stateStatusWord = [&writer](NodeStatus s) { return stateStatusWordText(writer, s); };
    auto transitionStatusWord = [&writer](NodeStatus s) { return transitionStatusWordText(writer, s); };
    EXPECT_EQ(statusWord(NodeStatus::Passed), "Passed");
    EXPECT_EQ(statusWord(NodeStatus::Failed), "Failed");
    EXPECT_EQ(statusWord(NodeStatus::NotExecuted), "Not Executed");
    EXPECT_EQ(statusWord(NodeStatus::Executed), "Not Executed");
    EXPECT_EQ(stateStatusWord(NodeStatus::Passed), "Reached");
    EXPECT_EQ(stateStatusWord(NodeStatus::Failed), "Failed");
    EXPECT_EQ(stateStatusWord(NodeStatus::Executed), "Not Reached");
    EXPECT_EQ(stateStatusWord(NodeStatus::NotExecuted), "Not Reached");
    EXPECT_EQ(transitionStatusWord(NodeStatus::Passed), "Fired");
    EXPECT_EQ(transitionStatusWord(NodeStatus::Failed), "Failed");
    EXPECT_EQ(transitionStatusWord(NodeStatus::NotExecuted), "Not Fired");
    EXPECT_EQ(transitionStatusWord(NodeStatus::Executed), "Not Fired");
}

// A chain of nested suites far deeper than any call stack allows: written
// iteratively, with one title per suite and every entry closed.
TEST(ScriptSectionDepth, MillionNestedSuites)
{
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "deep");
    const int depth = 1000000;
    // Linked by hand: the chain is built without the per-node parent lookups.
    TestNode* parent = tree.fileRoot(0);
    TestNode* top = nullptr;
    for (int i = 0; i < depth; ++i) {
        TestNode* node = tree.createNode(ElementKind::TestSuite, 0, uint32_t(i + 2), "S", nullptr, i + 1);
        node->parent = parent;
        parent->firstChild = parent->lastChild = node;
        if (!top)
            top = node;
        parent = node;
    }
    XrdWriter writer;
    ASSERT_TRUE(writer.open("/dev/null"));
    const std::optional<std::string> path = std::string("deep.kts");
    ScriptSectionContext context;
    context.output = &writer;
    context.tree = &tree;
    context.scriptPath = &path;
    writeScriptElement(top, context);
    EXPECT_EQ(writer.nextTag(), depth + 1);
    EXPECT_TRUE(writer.close());

    // A smaller chain in memory: entries balance and levels rise to the bottom.
    TestNode* cut = top;
    for (int i = 0; i < 999; ++i)
        cut = cut->firstChild;
    cut->firstChild = cut->lastChild = nullptr;
    XrdWriter memory;
    memory.openMemory();
    context.output = &memory;
    writeScriptElement(top, context);
    const std::string& out = memory.buffer();
    size_t opens = 0, closes = 0;
    for (size_t at = out.find("<XROD:NODE "); at != std::string::npos; at = out.find("<XROD:NODE ", at + 1))
        ++opens;
    for (size_t at = out.find("</XROD:NODE>\n"); at != std::string::npos;
         at = out.find("</XROD:NODE>\n", at + 1))
        ++closes;
    EXPECT_EQ(opens, 1000u);
    EXPECT_EQ(closes, 1000u);
    EXPECT_NE(out.find("<TITLE LEVEL=\"1000\" TAG=\"nodex1000\" STYLE=\"Title5 Passed\">\n"
                       "<LINK TARGET=\"deep.kts line 1000\">\n"),
              std::string::npos);
    std::string closing;
    for (int i = 0; i < 1000; ++i)
        closing += "</XROD:NODE>\n";
    EXPECT_EQ(out.substr(out.size() - closing.size()), closing);
}

} // namespace
} // namespace qv
