// The report step of a run: the XRD file created first, the studio header's
// project rows, the header text file's rows and its summary block, and the
// outcome of the step.
#include "driver/reportfile.h"

#include "model/evaluation.h"
#include "model/kinds.h"
#include "report/documentparts.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace qv {
namespace {

using namespace testdoc;

/// Runs the step in a temporary folder, so that the report is "r.xrd" there.
class ReportFileTest : public ::testing::Test, protected TreeBuilder {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
        ::unsetenv("KSTN_STUDIO_HEADER_FILE");
        tree.initTree();
        globals.testCompilationTime = std::string("Mon Jan  1 10:00:00 2024");
    }
    void TearDown() override
    {
        ::unsetenv("KSTN_STUDIO_HEADER_FILE");
        QDir::setCurrent(previous);
    }

    struct Rendered {
        ReportResult result;
        std::string document;
    };
    /// The step on the tree into r.xrd, with the studio header file (null: none).
    Rendered render(const char* headerTextFile = nullptr, const char* studioFile = nullptr)
    {
        if (studioFile)
            ::setenv("KSTN_STUDIO_HEADER_FILE", studioFile, 1);
        else
            ::unsetenv("KSTN_STUDIO_HEADER_FILE");
        Rendered r;
        r.result = writeReport(tree, globals, "r.xrd", headerTextFile);
        r.document = readFile("r.xrd");
        return r;
    }

    QTemporaryDir dir;
    QString previous;
    OtsGlobals globals;
};

TEST_F(ReportFileTest, HeaderTextFileRowsAndSummaryBlock)
{
    const std::string path = dir.filePath("header.txt").toStdString();
    const std::string header = "Campaign <nightly>\r\n"
                               "Owner=QA team\n"
                               "#Setup\n"
                               "$PREPROCESS\n"
                               "$OTHER\n"
                               "\n"
                               "#a=b\n"
                               "Empty=\n"
                               "-end of header\n"
                               "Ignored=1\n";
    writeFile(path, header);
    globals.testCompilerVersion = std::string("kc 4.1");
    file(0, "demo");
    add(0, ElementKind::TestCase, 2, "T", 1, 1);
    evaluateTree(tree);

    const std::string rows = std::string(InformationTitle) +
        "<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\">Campaign "
        "&lt;nightly&gt;</CELL_TEXT></ROW>" +
        row2("Array", "Owner", "QA team") +
        "</TABLE>\n"
        "<TITLE LEVEL=\"2\" TAG=\"nodex6\" STYLE=\"Title3\">\n"
        "<TEXT>Setup</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\">\n" +
        row2("Array", "Test compiler version", "kc 4.1") +
        row2("Array", "Test compilation time", "Mon Jan 1 10:00:00 2024") +
        "<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\"></CELL_TEXT></ROW>" +
        row2("Array", "#a", "b") + row2("Array", "Empty", "") +
        "</TABLE>\n</SECTION>\n<XROD:NODE name=\"demo\" type=\"Test Driver\" state=\"NE\" "
        "icone=\"testscript.xpm\"><SECTION TAG=\"rootx7\">\n";
    const std::string block = "-Test summary\nPassed=0\nInconclusive=1\nFailed=0\nTotal=1\n";

    std::string out = render(path.c_str()).document;
    EXPECT_NE(out.find(rows), std::string::npos) << out;
    EXPECT_EQ(readFile(path), header + block);

    // A second run renders the same header part and adds a second block.
    std::string again = render(path.c_str()).document;
    EXPECT_EQ(again, out);
    EXPECT_EQ(readFile(path), header + block + block);
}

TEST_F(ReportFileTest, HeaderTextFileThatCannotBeReadIsNeitherRenderedNorCreated)
{
    const std::string path = dir.filePath("missing.txt").toStdString();
    const std::string out = render(path.c_str()).document;
    EXPECT_NE(out.find(std::string(InformationTitle) + "</TABLE>\n</SECTION>\n"), std::string::npos);
    EXPECT_FALSE(std::ifstream(path).good());
}

TEST_F(ReportFileTest, HeaderTextFileStartingWithEndLineStillGetsItsBlock)
{
    const std::string path = dir.filePath("h.txt").toStdString();
    writeFile(path, "-\nTitle\n");
    const std::string out = render(path.c_str()).document;
    EXPECT_NE(out.find(std::string(InformationTitle) + "</TABLE>\n</SECTION>\n"), std::string::npos);
    EXPECT_EQ(readFile(path), "-\nTitle\n-Test summary\nPassed=0\nInconclusive=0\nFailed=0\nTotal=0\n");
}

TEST_F(ReportFileTest, StudioHeaderGivesPrefixTitleAndProjectRows)
{
    const std::string path = dir.filePath("studio.txt").toStdString();
    writeFile(path, "$PROJECT_NAME=Demo\n$PROJECT_PATH=/work/\n$NAME=Node<1>\n$CONFIGURATION=Debug\n");
    const std::string out = render(nullptr, path.c_str()).document;
    const std::string expected = head("ok", "Node&lt;1&gt;", "Node&lt;1&gt;") +
        row2("Array Passed", "Passed", "0") + row2("Array", "Inconclusive", "0") +
        row2("Array", "Failed", "0") + row2("Array", "Total", "0") + "</TABLE>\n" + InformationTitle +
        row2("Array", "Project", "Demo") + row2("Array", "Project File", "/work/Demo.kvx") +
        row2("Array", "Project Configuration", "Debug") + row2("Array", "Workspace", "") +
        row2("Array", "Test Node", "Node&lt;1&gt;") + row2("Array", "Report File", "r.xrd") +
        row2("Array", "Test compilation time", "Mon Jan 1 10:00:00 2024") + "</TABLE>\n</SECTION>\n" +
        DocumentEnd;
    EXPECT_EQ(out, expected);
}

TEST_F(ReportFileTest, StudioHeaderWithoutTestNodeKeepsTheDefaults)
{
    const std::string path = dir.filePath("studio.txt").toStdString();
    writeFile(path, "$WORKSPACE_NAME=ws\n");
    const std::string out = render(nullptr, path.c_str()).document;
    EXPECT_EQ(out.substr(0, head("ok").size()), head("ok"));
    EXPECT_NE(out.find(std::string(InformationTitle) + row2("Array", "Project", "") +
                       row2("Array", "Project File", "") + row2("Array", "Project Configuration", "") +
                       row2("Array", "Workspace", "ws") + row2("Array", "Test Node", "") +
                       row2("Array", "Report File", "r.xrd")),
              std::string::npos);

    // With a header text file the project rows are not shown.
    const std::string headerPath = dir.filePath("h.txt").toStdString();
    writeFile(headerPath, "Only title\n");
    const std::string withHeader = render(headerPath.c_str(), path.c_str()).document;
    EXPECT_EQ(withHeader.find("Project"), std::string::npos);
    EXPECT_NE(withHeader.find("Only title"), std::string::npos);
}

TEST_F(ReportFileTest, WriteReportResults)
{
    file(0, "demo");
    add(0, ElementKind::TestCase, 2, "T", 1, 1);
    add(0, ElementKind::CheckExpression, 3, "x", 2, 2);
    hit(0, 3);
    hit(0, 3, TraceEvent::FailVerdict);
    evaluateTree(tree);
    const std::string headerPath = dir.filePath("h.txt").toStdString();
    writeFile(headerPath, "Title\n");

    // The XRD file cannot be created: nothing is written, and the header text file is untouched.
    {
        const ReportResult r = writeReport(tree, globals, "no/such/dir/r.xrd", headerPath.c_str());
        EXPECT_EQ(r.outcome, ReportOutcome::CannotCreate);
        EXPECT_EQ(readFile(headerPath), "Title\n");
    }
    // A full device: a write error, and the header text file still gets its block.
    {
        const ReportResult r = writeReport(tree, globals, "/dev/full", headerPath.c_str());
        EXPECT_EQ(r.outcome, ReportOutcome::WriteFailed);
        EXPECT_EQ(r.counts.failed, 1);
        EXPECT_EQ(readFile(headerPath),
                  "Title\n-Test summary\nPassed=0\nInconclusive=0\nFailed=1\nTotal=1\n");
    }
    // Written: the failed total, and the file holds the document.
    {
        const ReportResult r = writeReport(tree, globals, "r.xrd", nullptr);
        EXPECT_EQ(r.outcome, ReportOutcome::Written);
        EXPECT_EQ(r.counts.failed, 1);
        const std::string text = readFile("r.xrd");
        EXPECT_EQ(text.substr(0, 39), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
        EXPECT_EQ(text.substr(text.size() - std::string(DocumentEnd).size()), DocumentEnd);
    }
}

} // namespace
} // namespace qv
