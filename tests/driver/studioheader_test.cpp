// Studio header variables and the header line reader.
#include "driver/studioheader.h"

#include "driver/headertext.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

namespace qv {
namespace {

class StudioHeaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string writeFile(const std::string& content, const char* name = "studio.hdr")
    {
        const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
        std::ofstream out(path, std::ios::binary);
        out << content;
        return path;
    }
    /// The values of a studio header file with this content.
    ProjectInfo load(const std::string& content)
    {
        const std::optional<ProjectInfo> project = readStudioHeader(writeFile(content).c_str());
        EXPECT_TRUE(project);
        return project.value_or(ProjectInfo());
    }

    QTemporaryDir dir;
};

TEST_F(StudioHeaderTest, ReadsAllFiveVariables)
{
    const ProjectInfo header = load("# studio variables\r\n"
                                    "$PROJECT_NAME='Demo';\r\n"
                                    "$PROJECT_PATH='C:/work/';\r\n"
                                    "$NAME=Node 1\r\n"
                                    "$CONFIGURATION=Debug;with comment\r\n"
                                    "$WORKSPACE_NAME=  ws  \r\n");
    EXPECT_EQ(header.projectName, "Demo");
    EXPECT_EQ(header.projectFilePath, "C:/work/Demo.kvx");
    EXPECT_EQ(header.testNodeName, "Node 1");
    EXPECT_EQ(header.configuration, "Debug");
    EXPECT_EQ(header.workspaceName, "ws");
}

TEST_F(StudioHeaderTest, FirstLineOfEachKeywordDecides)
{
    const ProjectInfo header = load("$PROJECT_NAME=first\n$PROJECT_NAME=second\n"
                                    "$CONFIGURATION\n$CONFIGURATION=Release\n"
                                    "$NAME=\n$NAME=late\n");
    EXPECT_EQ(header.projectName, "first");
    EXPECT_FALSE(header.configuration); // first line had no "="
    EXPECT_FALSE(header.testNodeName);  // first line had nothing after "="
}

TEST_F(StudioHeaderTest, KeywordOrderDecidesMixedLines)
{
    // Both keywords in one line: only the project name is taken.
    ProjectInfo header = load("$PROJECT_NAME=$NAME\n$WORKSPACE_NAME=ws\n");
    EXPECT_EQ(header.projectName, "$NAME");
    EXPECT_EQ(header.workspaceName, "ws"); // "$WORKSPACE_NAME" does not contain "$NAME"
    EXPECT_FALSE(header.testNodeName);

    // "$NAME" comes before "$CONFIGURATION" in the table, wherever it stands.
    header = load("$CONFIGURATION=c $NAME\n$CONFIGURATION=d\n");
    EXPECT_EQ(header.testNodeName, "c $NAME");
    EXPECT_EQ(header.configuration, "d");

    // The keyword may stand anywhere; a line whose first keyword was seen is ignored whole.
    header = load("set $NAME = x\n$NAME=y $CONFIGURATION=z\n");
    EXPECT_EQ(header.testNodeName, "x");
    EXPECT_FALSE(header.configuration);
}

TEST_F(StudioHeaderTest, ProjectPathNeedsTheNameFirst)
{
    ProjectInfo header = load("$PROJECT_PATH=C:/work\n$PROJECT_NAME=demo\n");
    EXPECT_EQ(header.projectName, "demo");
    EXPECT_FALSE(header.projectFilePath);

    header = load("$PROJECT_NAME=demo\n$PROJECT_PATH=\n");
    EXPECT_FALSE(header.projectFilePath);

    header = load("$PROJECT_NAME=demo\n$PROJECT_PATH='C:\\work\\'\n");
    EXPECT_EQ(header.projectFilePath, "C:\\work\\demo.kvx");
}

TEST_F(StudioHeaderTest, LongLinesArriveInPieces)
{
    // The first piece holds the keyword and 2046 - 14 characters of value;
    // the rest of the line is a line of its own and gives the node name.
    const std::string longName = "$PROJECT_NAME=" + std::string(2100, 'x');
    EXPECT_EQ(load(longName + "\n").projectName, std::string(2046 - 14, 'x'));

    EXPECT_EQ(load(std::string(2046, 'a') + "$NAME=tail\n").testNodeName, "tail");
}

TEST_F(StudioHeaderTest, OnlyAFileThatCanBeReadGivesValues)
{
    EXPECT_FALSE(readStudioHeader(nullptr));
    EXPECT_FALSE(readStudioHeader(dir.filePath(QStringLiteral("missing")).toStdString().c_str()));
    EXPECT_FALSE(readStudioHeader(dir.path().toStdString().c_str())); // a directory

    const std::optional<ProjectInfo> empty = readStudioHeader(writeFile("", "empty.hdr").c_str());
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->projectName);
    EXPECT_FALSE(empty->workspaceName);
}

TEST(StudioHeaderValue, ExtractionAndTrimming)
{
    using V = std::optional<std::string>;
    EXPECT_EQ(detail::extractValue("$PROJECT_NAME='Demo';"), V("Demo"));
    EXPECT_EQ(detail::extractValue("$PROJECT_NAME = 'Demo' ;"), V("'Demo'"));
    EXPECT_EQ(detail::extractValue("$PROJECT_NAME=''"), V(""));
    EXPECT_EQ(detail::extractValue("$PROJECT_NAME='"), V(""));
    EXPECT_EQ(detail::extractValue("$PROJECT_NAME=   "), V(""));
    EXPECT_EQ(detail::extractValue("$CONFIGURATION=Debug ; trailing comment"), V("Debug"));
    EXPECT_EQ(detail::extractValue("$NAME=a=b"), V("a=b"));
    EXPECT_EQ(detail::extractValue("$NAME=ab\tcd"), V("ab"));
    EXPECT_EQ(detail::extractValue("x=  in side  "), V("in side"));
    EXPECT_EQ(detail::extractValue("$NAME"), std::nullopt);
    EXPECT_EQ(detail::extractValue("$NAME="), std::nullopt);
    EXPECT_EQ(detail::extractValue(nullptr), std::nullopt);
}

TEST(StudioHeaderValue, ProjectFilePathCollapsesSeparators)
{
    using V = std::optional<std::string>;
    EXPECT_EQ(detail::formProjectFilePath(V("demo"), V("C:/work/")), V("C:/work/demo.kvx"));
    EXPECT_EQ(detail::formProjectFilePath(V("demo"), V("C:/work")), V("C:/work\\demo.kvx"));
    EXPECT_EQ(detail::formProjectFilePath(V("demo"), V("a//\\/b\\\\")), V("a/b\\demo.kvx"));
    EXPECT_EQ(detail::formProjectFilePath(V("/sub//demo"), V("root")), V("root\\sub/demo.kvx"));
    EXPECT_EQ(detail::formProjectFilePath(V(""), V("")), V("\\.kvx"));
    EXPECT_EQ(detail::formProjectFilePath(std::nullopt, V("p")), std::nullopt);
    EXPECT_EQ(detail::formProjectFilePath(V("n"), std::nullopt), std::nullopt);
}

class HeaderLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        stream = std::tmpfile();
        ASSERT_NE(stream, nullptr);
    }
    void TearDown() override { std::fclose(stream); }
    void fill(const std::string& content)
    {
        std::fwrite(content.data(), 1, content.size(), stream);
        std::rewind(stream);
    }
    FILE* stream = nullptr;
    LineBuffer buffer;
};

TEST_F(HeaderLineTest, CutsAtLastLineFeedTabAndCarriageReturn)
{
    fill("plain\n"
         "a\tb\tc\r\n"
         "x\ry\rz\n"
         "a\rb\tc\n"
         "\n"
         "last");
    const char* expected[] = {"plain", "a\tb", "x\ry", "a", "", "last"};
    for (const char* e : expected) {
        const char* line = readHeaderLine(stream, buffer);
        ASSERT_NE(line, nullptr);
        EXPECT_STREQ(line, e);
        EXPECT_EQ(line, buffer.data);
    }
    EXPECT_EQ(readHeaderLine(stream, buffer), nullptr);
    EXPECT_EQ(readHeaderLine(nullptr, buffer), nullptr);
}

TEST_F(HeaderLineTest, LongLineInPiecesOf2046)
{
    fill(std::string(5000, 'q') + "\nnext\n");
    EXPECT_EQ(std::string(readHeaderLine(stream, buffer)), std::string(2046, 'q'));
    EXPECT_EQ(std::string(readHeaderLine(stream, buffer)), std::string(2046, 'q'));
    EXPECT_EQ(std::string(readHeaderLine(stream, buffer)), std::string(5000 - 2 * 2046, 'q'));
    EXPECT_STREQ(readHeaderLine(stream, buffer), "next");
    EXPECT_EQ(readHeaderLine(stream, buffer), nullptr);
}

} // namespace
} // namespace qv
