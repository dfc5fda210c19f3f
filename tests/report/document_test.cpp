// The report document: skeleton and tag numbers, global summary, report
// information from a header text source, script sections and the contracts
// section. The header text file and the studio header themselves are the
// report step's (tests/driver/reportfile_test.cpp).
#include "report/document.h"

#include "model/evaluation.h"
#include "model/kinds.h"
#include "model/tree.h"
#include "report/documentparts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace qv {
namespace {

using namespace testdoc;

class ReportTest : public ::testing::Test, protected TreeBuilder {
protected:
    void SetUp() override
    {
        tree.initTree();
        globals.testCompilationTime = std::string("Mon Jan  1 10:00:00 2024");
        inputs.globals = &globals;
    }

    /// The document of the tree, with the counts evaluation gives; `failed`
    /// gets the failed total.
    std::string render(const ProjectInfo* project = nullptr, HeaderTextSource* headerText = nullptr,
                       int* failed = nullptr)
    {
        XrdWriter writer;
        writer.openMemory();
        inputs.project = project;
        inputs.headerText = headerText;
        inputs.xrdFile = "r.xrd";
        inputs.counts = tallyStatuses(tree);
        renderReport(writer, tree, inputs);
        if (failed)
            *failed = inputs.counts.failed;
        return writer.buffer();
    }

    OtsGlobals globals;
    ReportInputs inputs;
    QTemporaryDir dir;
};

TEST_F(ReportTest, EmptyDocumentClosesEverything)
{
    int result = -5;
    const std::string out = render(nullptr, nullptr, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out,
              head("ok") + row2("Array Passed", "Passed", "0") + row2("Array", "Inconclusive", "0") +
                  row2("Array", "Failed", "0") + row2("Array", "Total", "0") + "</TABLE>\n" +
                  InformationTitle + "</TABLE>\n</SECTION>\n" + DocumentEnd);
}

TEST_F(ReportTest, WholeDocumentOfOneScript)
{
    file(0, "demo");
    add(0, ElementKind::TestCase, 2, "Good", 1, 3);
    add(0, ElementKind::CheckExpression, 3, "x", 2, 4);
    add(0, ElementKind::Prologue, 4, "init", 1, 2);
    hit(0, 3);
    hit(0, 3, TraceEvent::PassVerdict);
    evaluateTree(tree);
    int result = -5;
    const std::string out = render(nullptr, nullptr, &result);
    EXPECT_EQ(result, 0);
    const std::string expected = head("ok") + row2("Array Passed", "Passed", "1") +
        row2("Array", "Inconclusive", "0") + row2("Array", "Failed", "0") + row2("Array", "Total", "1") +
        "</TABLE>\n" + InformationTitle + "</TABLE>\n</SECTION>\n" +
        "<XROD:NODE name=\"demo\" type=\"Test Driver\" state=\"ok\" icone=\"testscript.xpm\">"
        "<SECTION TAG=\"rootx6\">\n"
        "<TITLE LEVEL=\"0\" TAG=\"nodex7\" STYLE=\"Title1 Passed\">\n"
        "<TEXT>Test Driver demo</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\">\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array\">Number Of Test Suite</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">0</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">Number Of Test Class</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">0</CELL_TEXT>\n"
        "</ROW>\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array\">Number Of Test Case</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">Number Of Epilogue</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">0</CELL_TEXT>\n"
        "</ROW>\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array\">Number Of Procedure</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">0</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">Number Of Prologue</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">1</CELL_TEXT>\n"
        "</ROW>\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array\">Number Of Stub</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\">0</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\"></CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array\"></CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "<XROD:NODE name=\"Good\" type=\"Test Case\" state=\"ok\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"1\" TAG=\"nodex8\" STYLE=\"Title2 Passed\">\n"
        "<LINK TARGET=\"src/demo.kts line 3\">\n"
        "<TEXT>Test Case Good</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Title\">Expression</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Title\">Status</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Title\">Executed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Title\">Failed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Title\">Passed</CELL_TEXT>\n"
        "</ROW>\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">x</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">Passed</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">0</CELL_TEXT>\n"
        "<CELL_TEXT STYLE=\"Array Passed\">1</CELL_TEXT>\n"
        "</ROW>\n"
        "</TABLE>\n"
        "</XROD:NODE>\n"
        "</SECTION>\n"
        "</XROD:NODE>\n" +
        DocumentEnd;
    EXPECT_EQ(out, expected);
}

TEST_F(ReportTest, FailuresMarkTheSummary)
{
    file(0, "demo");
    add(0, ElementKind::TestSuite, 2, "S", 1, 1);
    for (uint32_t c = 0; c < 2; ++c) {
        add(0, ElementKind::TestCase, 10 + c, "Bad", 2, 2);
        add(0, ElementKind::CheckExpression, 20 + c, "x", 10 + c, 3);
        hit(0, 20 + c);
        hit(0, 20 + c, TraceEvent::FailVerdict);
    }
    add(0, ElementKind::TestCase, 12, "Never", 2, 5);
    add(0, ElementKind::Stub, 13, "stub", 1, 6); // never called: counts as passed
    evaluateTree(tree);
    int result = -5;
    const std::string out = render(nullptr, nullptr, &result);
    EXPECT_EQ(result, 2);
    const std::string summary = head("ko") + row2("Array", "Passed", "1") +
        row2("Array", "Inconclusive", "1") + row2("Array Failed", "Failed", "2") +
        row2("Array", "Total", "4") + "</TABLE>\n";
    EXPECT_EQ(out.substr(0, summary.size()), summary);
}

TEST_F(ReportTest, ScriptSectionsInFileListOrderAndSkipped)
{
    file(0, "first");
    add(0, ElementKind::TestCase, 2, "A", 1, 3);
    file(1, "second");
    add(1, ElementKind::TestCase, 2, "B", 1, 3);
    file(2, "classes");
    add(2, ElementKind::Class, 2, "OnlyClass", 1, 3); // classes and prologues alone give no section
    add(2, ElementKind::Prologue, 3, "p", 1, 4);
    evaluateTree(tree);
    const std::string out = render();
    const size_t second = out.find("<XROD:NODE name=\"second\" type=\"Test Driver\"");
    const size_t first = out.find("<XROD:NODE name=\"first\" type=\"Test Driver\"");
    ASSERT_NE(second, std::string::npos);
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(second, first);
    EXPECT_NE(out.find("<SECTION TAG=\"rootx6\">\n<TITLE LEVEL=\"0\" TAG=\"nodex7\" "
                       "STYLE=\"Title1\">\n<TEXT>Test Driver second</TEXT>"),
              std::string::npos);
    EXPECT_EQ(out.find("name=\"classes\""), std::string::npos);
    EXPECT_NE(out.find("<TEXT>Class OnlyClass</TEXT>"), std::string::npos);
    // The titles link to each script's own source path.
    EXPECT_NE(out.find("<LINK TARGET=\"src/second.kts line 3\">\n<TEXT>Test Case B</TEXT>"),
              std::string::npos);
    EXPECT_NE(out.find("<LINK TARGET=\"src/first.kts line 3\">\n<TEXT>Test Case A</TEXT>"),
              std::string::npos);
}

/// The contracts section of the document, from its entry to its closing tags.
std::string contractsSection(const std::string& out)
{
    const size_t at = out.find("<XROD:NODE name=\"Contracts\"");
    if (at == std::string::npos)
        return std::string();
    return out.substr(at, out.size() - at - std::string(DocumentEnd).size());
}

std::string classEntry(const char* name, const char* state, int tag, const char* style, const char* path,
                       int line)
{
    return std::string("<XROD:NODE name=\"") + name + "\" type=\"Class\" state=\"" + state +
        "\" icone=\"class.xpm\"><TITLE LEVEL=\"1\" TAG=\"nodex" + std::to_string(tag) + "\" STYLE=\"Title2" +
        style + "\">\n<LINK TARGET=\"" + path + " line " + std::to_string(line) + "\">\n<TEXT>Class " + name +
        "</TEXT>\n</LINK>\n</TITLE>\n" + "</XROD:NODE>\n";
}

TEST_F(ReportTest, ClassesSortedByBytesAndStable)
{
    file(0, "a");
    add(0, ElementKind::Class, 2, "alpha", 1, 1);
    add(0, ElementKind::Class, 3, "Same", 1, 2);
    file(1, "b");
    add(1, ElementKind::Class, 2, "Zeta", 1, 3);
    add(1, ElementKind::Class, 3, "Same", 1, 4);
    evaluateTree(tree);
    // No script section: the contracts section follows the summary directly.
    const std::string expected =
        "<XROD:NODE name=\"Contracts\" type=\"Contracts\" state=\"ok\" icone=\"testscript.xpm\">"
        "<SECTION TAG=\"classx6\">\n"
        "<TITLE LEVEL=\"0\" TAG=\"nodex7\" STYLE=\"Title1 Passed\">\n"
        "<TEXT>Tested Contracts</TEXT>\n"
        "</TITLE>\n" +
        // Equal names keep their collection order: file b (read last) first.
        classEntry("Same", "ok", 8, " Passed", "src/b.kts", 4) +
        classEntry("Same", "ok", 9, " Passed", "src/a.kts", 2) +
        classEntry("Zeta", "ok", 10, " Passed", "src/b.kts", 3) +
        classEntry("alpha", "ok", 11, " Passed", "src/a.kts", 1) + "</SECTION>\n</XROD:NODE>\n";
    EXPECT_EQ(contractsSection(render()), expected);
}

TEST_F(ReportTest, ContractsEntryCombinesClassStatuses)
{
    const auto entry = [](const char* state, const char* style) {
        return std::string("<XROD:NODE name=\"Contracts\" type=\"Contracts\" state=\"") + state +
            "\" icone=\"testscript.xpm\"><SECTION TAG=\"classx6\">\n"
            "<TITLE LEVEL=\"0\" TAG=\"nodex7\" STYLE=\"Title1" +
            style + "\">\n<TEXT>Tested Contracts</TEXT>\n</TITLE>\n";
    };
    // A passed class and one whose invariant was never reached: NE, plain.
    file(0, "a");
    add(0, ElementKind::Class, 2, "Ok", 1, 1);
    add(0, ElementKind::Class, 3, "Unreached", 1, 2);
    add(0, ElementKind::Invariant, 4, "i", 3, 3);
    evaluateTree(tree);
    std::string out = contractsSection(render());
    EXPECT_EQ(out.substr(0, entry("NE", "").size()), entry("NE", ""));

    // A passed class and a failed one: ko, failed style; the failed total is returned.
    TestTree failedTree;
    failedTree.initTree();
    failedTree.openOtsFile(0, "a");
    failedTree.addNode(0, ElementKind::Class, 2, "Ok", 1, 1, 0);
    failedTree.addNode(0, ElementKind::Class, 3, "Broken", 1, 2, 0);
    failedTree.addNode(0, ElementKind::Invariant, 4, "j", 3, 3, 0);
    markHit(failedTree.findNode(0, 4), TraceEvent::Hit);
    markHit(failedTree.findNode(0, 4), TraceEvent::FailVerdict);
    evaluateTree(failedTree);
    XrdWriter writer;
    writer.openMemory();
    const SummaryCounts counts = tallyStatuses(failedTree);
    EXPECT_EQ(counts.failed, 1);
    inputs.counts = counts;
    renderReport(writer, failedTree, inputs);
    out = contractsSection(writer.buffer());
    EXPECT_EQ(out.substr(0, entry("ko", " Failed").size()), entry("ko", " Failed"));
}

TEST_F(ReportTest, NoContractsSectionWithoutClasses)
{
    file(0, "a");
    add(0, ElementKind::TestCase, 2, "T", 1, 1);
    evaluateTree(tree);
    const std::string out = render();
    EXPECT_EQ(out.find("Contracts"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - std::string(DocumentEnd).size()), DocumentEnd);
}

TEST_F(ReportTest, HeaderTextRowsReplaceTheProjectRows)
{
    // A source that gives its lines from memory and counts the calls.
    struct Lines : HeaderTextSource {
        const char* lines[2] = {"Only title", nullptr};
        int next = 0;
        int finished = 0;
        bool open() override { return true; }
        const char* nextLine() override { return lines[next++]; }
        void finish() override { ++finished; }
    } lines;
    ProjectInfo project;
    project.projectName = std::string("Demo");
    const std::string out = render(&project, &lines);
    EXPECT_EQ(out.find("Project"), std::string::npos);
    EXPECT_NE(out.find(std::string(InformationTitle) +
                       "<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\">"
                       "Only title</CELL_TEXT></ROW></TABLE>\n"),
              std::string::npos);
    EXPECT_EQ(lines.finished, 1);

    // A source that cannot be opened is neither read nor finished.
    struct Closed : HeaderTextSource {
        int calls = 0;
        bool open() override { return false; }
        const char* nextLine() override
        {
            ++calls;
            return nullptr;
        }
        void finish() override { ++calls; }
    } closed;
    const std::string without = render(nullptr, &closed);
    EXPECT_EQ(closed.calls, 0);
    EXPECT_NE(without.find(std::string(InformationTitle) + "</TABLE>\n</SECTION>\n"), std::string::npos);
}

TEST_F(ReportTest, GlobalInformationRows)
{
    XrdWriter writer;
    writer.openMemory();
    OtsGlobals both;
    both.testCompilerVersion = std::string("v 1");
    both.testCompilationTime = std::string("");
    detail::writeGlobalInformation(writer, both);
    EXPECT_EQ(writer.buffer(),
              row2("Array", "Test compiler version", "v 1") + row2("Array", "Test compilation time", ""));

    XrdWriter clock;
    clock.openMemory();
    detail::writeGlobalInformation(clock, OtsGlobals());
    // The asctime layout; a one-digit day's double blank comes out as one.
    const std::regex layout("<ROW>\n<CELL_TEXT STYLE=\"Array\">Report Generation Time</CELL_TEXT>\n"
                            "<CELL_TEXT STYLE=\"Array\">(Sun|Mon|Tue|Wed|Thu|Fri|Sat) "
                            "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [1-9][0-9]? "
                            "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}</CELL_TEXT>\n</ROW>\n");
    EXPECT_TRUE(std::regex_match(clock.buffer(), layout)) << clock.buffer();
}

TEST(ContractsSection, CollectsClassesAndSortsThemByBytes)
{
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "s");
    tree.addNode(0, ElementKind::Class, 2, "beta", 1, 1, 0);
    tree.addNode(0, ElementKind::TestCase, 3, "case", 1, 1, 0);
    tree.addNode(0, ElementKind::SingleClass, 4, "\xC3\xA4lpha", 3, 1, 0); // non-ASCII sorts last
    tree.addNode(0, ElementKind::Class, 5, "Alpha", 2, 1, 0);
    tree.addNode(0, ElementKind::Class, 6, "Alph", 1, 1, 0);
    tree.addNode(0, ElementKind::State, 7, "S", 5, 1, 0);

    detail::ClassList list;
    list.room = 4;
    walkPostOrder(tree.findNode(0, 1), [&](TestNode* n) { detail::collectClassNode(n, list); });
    ASSERT_EQ(list.nodes.size(), 4u);
    // The nodes found carry their counters.
    const auto alpha = std::find_if(list.nodes.begin(), list.nodes.end(),
                                    [](const TestNode* n) { return n->name() == "Alpha"; });
    ASSERT_NE(alpha, list.nodes.end());
    EXPECT_EQ((*alpha)->classCounters()->states, 1);

    std::vector<const TestNode*> classes = list.nodes;
    std::sort(classes.begin(), classes.end(),
              [](const TestNode* a, const TestNode* b) { return compareNodesByName(*a, *b) < 0; });
    std::vector<std::string> names;
    for (const TestNode* n : classes)
        names.emplace_back(n->name());
    EXPECT_EQ(names, (std::vector<std::string>{"Alph", "Alpha", "beta", "\xC3\xA4lpha"}));
    EXPECT_EQ(compareNodesByName(*classes[0], *classes[0]), 0);
    EXPECT_GT(compareNodesByName(*classes[1], *classes[0]), 0);

    // A list with room for two keeps the first two of the walk (children
    // before their parent) and no more.
    detail::ClassList small;
    small.room = 2;
    walkPostOrder(tree.findNode(0, 1), [&](TestNode* n) { detail::collectClassNode(n, small); });
    ASSERT_EQ(small.nodes.size(), 2u);
    EXPECT_EQ(small.nodes[0], list.nodes[0]);
    EXPECT_EQ(small.nodes[1], list.nodes[1]);
}

} // namespace
} // namespace qv
