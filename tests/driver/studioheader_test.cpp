// Studio header variables and the header line reader.
#include "driver/studioheader.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace qv {
namespace {

class StudioHeaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        if (const char* old = std::getenv("KSTN_STUDIO_HEADER_FILE"))
            savedEnv = std::make_unique<std::string>(old);
    }
    void TearDown() override
    {
        if (savedEnv)
            setenv("KSTN_STUDIO_HEADER_FILE", savedEnv->c_str(), 1);
        else
            unsetenv("KSTN_STUDIO_HEADER_FILE");
    }
    std::string writeFile(const std::string& content, const char* name = "studio.hdr")
    {
        const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
        std::ofstream out(path, std::ios::binary);
        out << content;
        return path;
    }
    bool load(const std::string& content)
    {
        return header.loadStudioHeaderFile(writeFile(content).c_str(), buffer);
    }

    QTemporaryDir dir;
    std::unique_ptr<std::string> savedEnv;
    StudioHeader header;
    LineBuffer buffer;
};

TEST_F(StudioHeaderTest, ReadsAllFiveVariables)
{
    ASSERT_TRUE(load("# studio variables\r\n"
                     "$PROJECT_NAME='Demo';\r\n"
                     "$PROJECT_PATH='C:/work/';\r\n"
                     "$NAME=Node 1\r\n"
                     "$CONFIGURATION=Debug;with comment\r\n"
                     "$WORKSPACE_NAME=  ws  \r\n"));
    EXPECT_EQ(header.projectName(), "Demo");
    EXPECT_EQ(header.projectFilePath(), "C:/work/Demo.kvx");
    EXPECT_EQ(header.testNodeName(), "Node 1");
    EXPECT_EQ(header.projectConfiguration(), "Debug");
    EXPECT_EQ(header.workspaceName(), "ws");

    header.releaseStudioHeader();
    EXPECT_FALSE(header.projectName());
    EXPECT_FALSE(header.projectFilePath());
    EXPECT_FALSE(header.testNodeName());
    EXPECT_FALSE(header.projectConfiguration());
    EXPECT_FALSE(header.workspaceName());
}

TEST_F(StudioHeaderTest, FirstLineOfEachKeywordDecides)
{
    ASSERT_TRUE(load("$PROJECT_NAME=first\n$PROJECT_NAME=second\n"
                     "$CONFIGURATION\n$CONFIGURATION=Release\n"
                     "$NAME=\n$NAME=late\n"));
    EXPECT_EQ(header.projectName(), "first");
    EXPECT_FALSE(header.projectConfiguration()); // first line had no "="
    EXPECT_FALSE(header.testNodeName());         // first line had nothing after "="
}

TEST_F(StudioHeaderTest, KeywordOrderDecidesMixedLines)
{
    // Both keywords in one line: only the project name is taken.
    ASSERT_TRUE(load("$PROJECT_NAME=$NAME\n$WORKSPACE_NAME=ws\n"));
    EXPECT_EQ(header.projectName(), "$NAME");
    EXPECT_EQ(header.workspaceName(), "ws"); // "$WORKSPACE_NAME" does not contain "$NAME"
    EXPECT_FALSE(header.testNodeName());

    // "$NAME" comes before "$CONFIGURATION" in the table, wherever it stands.
    ASSERT_TRUE(load("$CONFIGURATION=c $NAME\n$CONFIGURATION=d\n"));
    EXPECT_EQ(header.testNodeName(), "c $NAME");
    EXPECT_EQ(header.projectConfiguration(), "d");

    // The keyword may stand anywhere; a line whose first keyword was seen is ignored whole.
    ASSERT_TRUE(load("set $NAME = x\n$NAME=y $CONFIGURATION=z\n"));
    EXPECT_EQ(header.testNodeName(), "x");
    EXPECT_FALSE(header.projectConfiguration());
}

TEST_F(StudioHeaderTest, ProjectPathNeedsTheNameFirst)
{
    ASSERT_TRUE(load("$PROJECT_PATH=C:/work\n$PROJECT_NAME=demo\n"));
    EXPECT_EQ(header.projectName(), "demo");
    EXPECT_FALSE(header.projectFilePath());

    ASSERT_TRUE(load("$PROJECT_NAME=demo\n$PROJECT_PATH=\n"));
    EXPECT_FALSE(header.projectFilePath());

    ASSERT_TRUE(load("$PROJECT_NAME=demo\n$PROJECT_PATH='C:\\work\\'\n"));
    EXPECT_EQ(header.projectFilePath(), "C:\\work\\demo.kvx");
}

TEST_F(StudioHeaderTest, LongLinesArriveInPieces)
{
    // The first piece holds the keyword and 2046 - 14 characters of value;
    // the rest of the line is a line of its own and gives the node name.
    const std::string longName = "$PROJECT_NAME=" + std::string(2100, 'x');
    ASSERT_TRUE(load(longName + "\n"));
    EXPECT_EQ(header.projectName(), std::string(2046 - 14, 'x'));

    ASSERT_TRUE(load(std::string(2046, 'a') + "$NAME=tail\n"));
    EXPECT_EQ(header.testNodeName(), "tail");
}

TEST_F(StudioHeaderTest, LoadFromEnvironment)
{
    unsetenv("KSTN_STUDIO_HEADER_FILE");
    ASSERT_TRUE(load("$NAME=old\n"));
    EXPECT_FALSE(header.loadStudioHeader(buffer));
    EXPECT_FALSE(header.testNodeName()); // loading starts from an empty record

    setenv("KSTN_STUDIO_HEADER_FILE", writeFile("$NAME=fromenv\n", "env.hdr").c_str(), 1);
    EXPECT_TRUE(header.loadStudioHeader(buffer));
    EXPECT_EQ(header.testNodeName(), "fromenv");

    setenv("KSTN_STUDIO_HEADER_FILE", dir.filePath(QStringLiteral("missing")).toStdString().c_str(), 1);
    EXPECT_FALSE(header.loadStudioHeader(buffer));
    EXPECT_FALSE(header.testNodeName());

    setenv("KSTN_STUDIO_HEADER_FILE", dir.path().toStdString().c_str(), 1); // a directory
    EXPECT_FALSE(header.loadStudioHeader(buffer));

    setenv("KSTN_STUDIO_HEADER_FILE", writeFile("", "empty.hdr").c_str(), 1);
    EXPECT_TRUE(header.loadStudioHeader(buffer));
    EXPECT_FALSE(header.projectName());
    EXPECT_FALSE(header.workspaceName());
}

TEST(StudioHeaderValue, ExtractionAndTrimming)
{
    using V = std::optional<std::string>;
    EXPECT_EQ(StudioHeader::extractValue("$PROJECT_NAME='Demo';"), V("Demo"));
    EXPECT_EQ(StudioHeader::extractValue("$PROJECT_NAME = 'Demo' ;"), V("'Demo'"));
    EXPECT_EQ(StudioHeader::extractValue("$PROJECT_NAME=''"), V(""));
    EXPECT_EQ(StudioHeader::extractValue("$PROJECT_NAME='"), V(""));
    EXPECT_EQ(StudioHeader::extractValue("$PROJECT_NAME=   "), V(""));
    EXPECT_EQ(StudioHeader::extractValue("$CONFIGURATION=Debug ; trailing comment"), V("Debug"));
    EXPECT_EQ(StudioHeader::extractValue("$NAME=a=b"), V("a=b"));
    EXPECT_EQ(StudioHeader::extractValue("$NAME=ab\tcd"), V("ab"));
    EXPECT_EQ(StudioHeader::extractValue("x=  in side  "), V("in side"));
    EXPECT_EQ(StudioHeader::extractValue("$NAME"), std::nullopt);
    EXPECT_EQ(StudioHeader::extractValue("$NAME="), std::nullopt);
    EXPECT_EQ(StudioHeader::extractValue(nullptr), std::nullopt);
}

TEST(StudioHeaderValue, ProjectFilePathCollapsesSeparators)
{
    using V = std::optional<std::string>;
    EXPECT_EQ(StudioHeader::formProjectFilePath(V("demo"), V("C:/work/")), V("C:/work/demo.kvx"));
    EXPECT_EQ(StudioHeader::formProjectFilePath(V("demo"), V("C:/work")), V("C:/work\\demo.kvx"));
    EXPECT_EQ(StudioHeader::formProjectFilePath(V("demo"), V("a//\\/b\\\\")), V("a/b\\demo.kvx"));
    EXPECT_EQ(StudioHeader::formProjectFilePath(V("/sub//demo"), V("root")), V("root\\sub/demo.kvx"));
    EXPECT_EQ(StudioHeader::formProjectFilePath(V(""), V("")), V("\\.kvx"));
    EXPECT_EQ(StudioHeader::formProjectFilePath(std::nullopt, V("p")), std::nullopt);
    EXPECT_EQ(StudioHeader::formProjectFilePath(V("n"), std::nullopt), std::nullopt);
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
