// Class sections: the class entry with its contracts, invariants, states,
// state-chart violations and transitions, in that order, with their rows.
#include "report/classsection.h"

#include "model/evaluation.h"
#include "model/kinds.h"
#include "model/tree.h"
#include "report/onescript.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

const std::string TitleCells5 = "<CELL_TEXT STYLE=\"Array Title\">Expression</CELL_TEXT>\n"
                                "<CELL_TEXT STYLE=\"Array Title\">Status</CELL_TEXT>\n"
                                "<CELL_TEXT STYLE=\"Array Title\">Executed</CELL_TEXT>\n"
                                "<CELL_TEXT STYLE=\"Array Title\">Failed</CELL_TEXT>\n"
                                "<CELL_TEXT STYLE=\"Array Title\">Passed</CELL_TEXT>\n";

std::string cells(const char* style, std::initializer_list<const char*> texts)
{
    std::string out;
    for (const char* t : texts)
        out += std::string("<CELL_TEXT STYLE=\"") + style + "\">" + t + "</CELL_TEXT>\n";
    return out;
}

std::string link(const char* style, const char* target, const char* text)
{
    return std::string("<CELL STYLE=\"") + style + "\"><LINK TARGET=\"" + target + "\">\n<TEXT>" + text +
        "</TEXT>\n</LINK>\n</CELL>\n";
}

class ClassSectionTest : public OneScriptTest {
protected:
    std::string render(const TestNode& node)
    {
        XrdWriter writer;
        writer.openMemory();
        writeClassReport(writer, tree, node);
        return writer.buffer();
    }
};

TEST_F(ClassSectionTest, EverySubSectionInOrder)
{
    add(ElementKind::Class, 2, "Account", 1, 20);
    add(ElementKind::MethodContract, 3, "deposit", 2, 21);
    add(ElementKind::PreCondition, 4, "amount > 0", 3, 22);
    add(ElementKind::PostCondition, 5, "balance >= old", 3, 23);
    add(ElementKind::Expression, 13, "note", 3, 23); // no counters: zeros, no expression cell
    add(ElementKind::Invariant, 6, "balance >= 0", 2, 24);
    add(ElementKind::State, 7, "Open", 2, 25);
    add(ElementKind::State, 8, "Closed", 2, 26);
    add(ElementKind::ObservationState, 9, "Watch", 2, 27);
    add(ElementKind::Transition, 10, "open->closed", 2, 28);
    add(ElementKind::Transition, 11, "closed->open", 2, 29);
    hit(4);
    hit(4, TraceEvent::PassVerdict);
    hit(5);
    hit(5, TraceEvent::FailVerdict);
    for (int i = 0; i < 2; ++i) {
        hit(6);
        hit(6, TraceEvent::PassVerdict);
        hit(7);
    }
    hit(7, TraceEvent::MultipleExit);
    hit(9, TraceEvent::IllegalExit);
    hit(9, TraceEvent::IllegalExit);
    hit(10);
    evaluateTree(tree);

    const std::string expected =
        "<XROD:NODE name=\"Account\" type=\"Class\" state=\"ko\" icone=\"class.xpm\">"
        "<TITLE LEVEL=\"1\" TAG=\"nodex1\" STYLE=\"Title2 Failed\">\n"
        "<LINK TARGET=\"src/script.kts line 20\">\n"
        "<TEXT>Class Account</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        // Method contracts: one row per condition, each in its own style.
        "<XROD:NODE name=\"Method Contract\" type=\"Method Contract\" state=\"ko\" sum=\"1\" "
        "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex2\" STYLE=\"Title3 Failed\">\n"
        "<TEXT>Method Contract</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"20,20,15,15,15,15\">\n"
        "<ROW>\n"
        "<CELL_TEXT STYLE=\"Array Title\">Method</CELL_TEXT>\n" +
        TitleCells5 + "</ROW>\n" + "<ROW>\n" + link("Array Passed", "src/script.kts line 21", "deposit") +
        cells("Array Passed", {"amount &gt; 0", "Passed", "1", "0", "1"}) + "</ROW>\n" + "<ROW>\n" +
        cells("Array Failed", {"", "balance &gt;= old", "Failed", "1", "1", "0"}) + "</ROW>\n" + "<ROW>\n" +
        cells("Array Passed", {"", "Passed", "0", "0", "0"}) + "</ROW>\n" +
        "</TABLE>\n"
        "</XROD:NODE>\n"
        // Invariants: counts in the order executed, failed, passed.
        "<XROD:NODE name=\"Invariant\" type=\"Invariant\" state=\"ok\" sum=\"1\" "
        "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex3\" STYLE=\"Title3 Passed\">\n"
        "<TEXT>Invariant</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n"
        "<ROW>\n" +
        TitleCells5 + "</ROW>\n" + "<ROW>\n" +
        link("Array Passed", "src/script.kts line 24", "balance &gt;= 0") +
        cells("Array Passed", {"Passed", "2", "0", "2"}) + "</ROW>\n" +
        "</TABLE>\n"
        "</XROD:NODE>\n"
        // States: the observation state gets no row here.
        "<XROD:NODE name=\"State\" type=\"State\" state=\"NE\" sum=\"1\" icone=\"method.xpm\">"
        "<TITLE LEVEL=\"2\" TAG=\"nodex4\" STYLE=\"Title3\">\n"
        "<TEXT>State</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,30,30\">\n"
        "<ROW>\n" +
        cells("Array Title", {"State Name", "Status", "Reached"}) + "</ROW>\n" + "<ROW>\n" +
        link("Array Passed", "src/script.kts line 25", "Open") + cells("Array Passed", {"Reached", "2"}) +
        "</ROW>\n" + "<ROW>\n" + link("Array", "src/script.kts line 26", "Closed") +
        cells("Array", {"Not Reached", "0"}) + "</ROW>\n" +
        "</TABLE>\n"
        "</XROD:NODE>\n"
        // Violations: a sibling of the states entry; the observation state unlinked.
        "<XROD:NODE name=\"State Chart Violations\" type=\"State\" state=\"ko\" sum=\"1\" "
        "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex5\" STYLE=\"Title3 Failed\">\n"
        "<TEXT>State Chart Violations</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,30,30\">\n"
        "<ROW>\n" +
        cells("Array Title", {"State Name", "Multiple Exits", "Illegal Exits"}) + "</ROW>\n" + "<ROW>\n" +
        link("Array Failed", "src/script.kts line 25", "Open") + cells("Array Failed", {"1", "0"}) +
        "</ROW>\n" + "<ROW>\n" + cells("Array Failed", {"Watch", "0", "2"}) + "</ROW>\n" +
        "</TABLE>\n"
        "</XROD:NODE>\n"
        "<XROD:NODE name=\"Transition\" type=\"Transition\" state=\"NE\" sum=\"1\" "
        "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex6\" STYLE=\"Title3\">\n"
        "<TEXT>Transition</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,30,30\">\n"
        "<ROW>\n" +
        cells("Array Title", {"Transition Name", "Status", "Fired"}) + "</ROW>\n" + "<ROW>\n" +
        link("Array Passed", "src/script.kts line 28", "open-&gt;closed") +
        cells("Array Passed", {"Fired", "1"}) + "</ROW>\n" + "<ROW>\n" +
        link("Array", "src/script.kts line 29", "closed-&gt;open") + cells("Array", {"Not Fired", "0"}) +
        "</ROW>\n" +
        "</TABLE>\n"
        "</XROD:NODE>\n"
        "</XROD:NODE>\n";
    EXPECT_EQ(render(*tree.findNode(0, 2)), expected);
}

TEST_F(ClassSectionTest, ClassWithoutMembersAndWithoutKnownFile)
{
    add(ElementKind::SingleClass, 2, "Registry", 1, 5);
    evaluateTree(tree);
    EXPECT_EQ(render(*tree.findNode(0, 2)),
              "<XROD:NODE name=\"Registry\" type=\"Single Class\" state=\"ok\" icone=\"class.xpm\">"
              "<TITLE LEVEL=\"1\" TAG=\"nodex1\" STYLE=\"Title2 Passed\">\n"
              "<LINK TARGET=\"src/script.kts line 5\">\n"
              "<TEXT>Single Class Registry</TEXT>\n"
              "</LINK>\n"
              "</TITLE>\n"
              "</XROD:NODE>\n");
    // A copy naming a file the tree does not know gets a plain title.
    TestNode copy = *tree.findNode(0, 2);
    copy.fileIndex = 7;
    EXPECT_EQ(render(copy),
              "<XROD:NODE name=\"Registry\" type=\"Single Class\" state=\"ok\" icone=\"class.xpm\">"
              "<TITLE LEVEL=\"1\" TAG=\"nodex1\" STYLE=\"Title2 Passed\">\n"
              "<TEXT>Single Class Registry</TEXT>\n"
              "</TITLE>\n"
              "</XROD:NODE>\n");
}

TEST_F(ClassSectionTest, ViolatedChartWithoutStatesStillShowsItsViolations)
{
    // Only observation states: the chart fails and the summary counts it, so
    // the violations entry takes the states' place, after the invariants and
    // before the transitions, with tag numbers in that order.
    add(ElementKind::Class, 2, "Watcher", 1, 5);
    add(ElementKind::Transition, 3, "go", 2, 6);
    add(ElementKind::ObservationState, 4, "Seen", 2, 7);
    add(ElementKind::Invariant, 5, "ok()", 2, 8);
    add(ElementKind::ObservationState, 6, "Quiet", 2, 9); // no exits: no row
    hit(4, TraceEvent::MultipleExit);
    hit(4, TraceEvent::MultipleExit);
    hit(4, TraceEvent::IllegalExit);
    hit(5);
    hit(5, TraceEvent::PassVerdict);
    evaluateTree(tree);
    const TestNode& node = *tree.findNode(0, 2);
    ASSERT_TRUE(node.classCounters());
    ASSERT_EQ(node.classCounters()->states, 0);
    ASSERT_EQ(node.classCounters()->stateChartStatus, NodeStatus::Failed);
    const std::string expected =
        "<XROD:NODE name=\"Watcher\" type=\"Class\" state=\"ko\" icone=\"class.xpm\">"
        "<TITLE LEVEL=\"1\" TAG=\"nodex1\" STYLE=\"Title2 Failed\">\n"
        "<LINK TARGET=\"src/script.kts line 5\">\n"
        "<TEXT>Class Watcher</TEXT>\n"
        "</LINK>\n"
        "</TITLE>\n"
        "<XROD:NODE name=\"Invariant\" type=\"Invariant\" state=\"ok\" sum=\"1\" "
        "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex2\" STYLE=\"Title3 Passed\">\n"
        "<TEXT>Invariant</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n"
        "<ROW>\n" +
        TitleCells5 + "</ROW>\n<ROW>\n" + link("Array Passed", "src/script.kts line 8", "ok()") +
        cells("Array Passed", {"Passed", "1", "0", "1"}) +
        "</ROW>\n</TABLE>\n</XROD:NODE>\n"
        "<XROD:NODE name=\"State Chart Violations\" type=\"State\" state=\"ko\" sum=\"1\" "
        "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex3\" STYLE=\"Title3 Failed\">\n"
        "<TEXT>State Chart Violations</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,30,30\">\n"
        "<ROW>\n" +
        cells("Array Title", {"State Name", "Multiple Exits", "Illegal Exits"}) + "</ROW>\n<ROW>\n" +
        cells("Array Failed", {"Seen", "2", "1"}) +
        "</ROW>\n</TABLE>\n</XROD:NODE>\n"
        "<XROD:NODE name=\"Transition\" type=\"Transition\" state=\"NE\" sum=\"1\" "
        "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex4\" STYLE=\"Title3\">\n"
        "<TEXT>Transition</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\" WIDTH=\"40,30,30\">\n"
        "<ROW>\n" +
        cells("Array Title", {"Transition Name", "Status", "Fired"}) + "</ROW>\n<ROW>\n" +
        link("Array", "src/script.kts line 6", "go") + cells("Array", {"Not Fired", "0"}) +
        "</ROW>\n</TABLE>\n</XROD:NODE>\n"
        "</XROD:NODE>\n";
    EXPECT_EQ(render(node), expected);
}

TEST_F(ClassSectionTest, NestedMembersGetNoRowsAndUnviolatedChartsNoSection)
{
    add(ElementKind::Class, 2, "C", 1, 5);
    add(ElementKind::Transition, 3, "t", 2, 6);
    add(ElementKind::State, 4, "deep", 3, 7); // counted for the class, but not a direct child
    hit(3);
    evaluateTree(tree);
    const TestNode& node = *tree.findNode(0, 2);
    ASSERT_EQ(node.classCounters()->states, 1);
    const std::string out = render(node);
    const std::string states = "<XROD:NODE name=\"State\" type=\"State\" state=\"NE\" sum=\"1\" "
                               "icone=\"method.xpm\"><TITLE LEVEL=\"2\" TAG=\"nodex2\" "
                               "STYLE=\"Title3\">\n<TEXT>State</TEXT>\n</TITLE>\n"
                               "<TABLE BORDER=\"1\" WIDTH=\"40,30,30\">\n<ROW>\n" +
        cells("Array Title", {"State Name", "Status", "Reached"}) +
        "</ROW>\n</TABLE>\n</XROD:NODE>\n"
        "<XROD:NODE name=\"Transition\"";
    EXPECT_NE(out.find(states), std::string::npos) << out;
    EXPECT_EQ(out.find("deep"), std::string::npos);
    EXPECT_EQ(out.find("State Chart Violations"), std::string::npos);
}

TEST_F(ClassSectionTest, ContractWithoutChildrenWritesNoRow)
{
    add(ElementKind::Class, 2, "C", 1, 5);
    add(ElementKind::MethodContract, 3, "empty", 2, 6);
    evaluateTree(tree);
    const std::string out = render(*tree.findNode(0, 2));
    // The contracts table ends right after its column titles.
    const size_t titles = out.find("</ROW>\n");
    ASSERT_NE(titles, std::string::npos) << out;
    EXPECT_EQ(out.compare(titles, 15, "</ROW>\n</TABLE>"), 0) << out;
    EXPECT_EQ(out.find("empty"), std::string::npos);
}

} // namespace
} // namespace qv
