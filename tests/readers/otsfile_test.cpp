// OTS symbol file reader: records into the test tree.
#include "model/kinds.h"
#include "model/tree.h"
#include "readers/otsfile.h"
#include "readers/tokens.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace std::string_literals;

namespace qv {
namespace {

/// Reads an in-memory OTS text as file `fileIndex`.
bool readOts(TestTree& tree, OtsGlobals& globals, const std::string& text, int fileIndex = 0,
             const std::string& path = "dir/suite.ots")
{
    InStream in;
    in.openMemory(text);
    return detail::readOtsStream(tree, globals, in, path, fileIndex);
}

/// Names of the children of a node, in order.
std::vector<std::string> childNames(TestNode* node)
{
    std::vector<std::string> names;
    forEachChild(node, [&](TestNode* c) { names.emplace_back(c->name()); });
    return names;
}

TEST(OtsReader, ElementRecord)
{
    TestTree tree;
    OtsGlobals globals;
    ASSERT_TRUE(readOts(tree, globals, "TC 1a \"Case one\" line=12 p=1;\n"));
    const TestNode* node = tree.findNode(0, 0x1A);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->kind, ElementKind::TestCase);
    EXPECT_EQ(node->name(), "Case one");
    EXPECT_EQ(node->line, 12);
    EXPECT_EQ(node->refId, 0u);
    EXPECT_EQ(node->parent, tree.fileRoot(0));
}

TEST(OtsReader, RootNamedAfterTheFileUpToItsFirstDot)
{
    const struct {
        const char* path;
        const char* root;
    } cases[] = {{"dir/suite.a.ots", "suite"}, {"plain", "plain"}, {"/x.y/.hidden", ""}};
    for (const auto& c : cases) {
        TestTree tree;
        OtsGlobals globals;
        ASSERT_TRUE(readOts(tree, globals, "", 0, c.path));
        EXPECT_EQ(tree.fileRoot(0)->name(), c.root) << c.path;
    }
}

TEST(OtsReader, ReferenceIdAndNesting)
{
    TestTree tree;
    OtsGlobals globals;
    ASSERT_TRUE(readOts(tree, globals,
                        "TS 2 \"Suite\" line=3 p=1;\n"
                        "TC 1a \"Case one\" line=12 p=2; r=2f;\n"
                        "CH 3 \"a\\\"b\" line=13 parent=1a;\n"
                        "SB 2f \"Stub\" line=40 p=1;\n"));
    const TestNode* testCase = tree.findNode(0, 0x1A);
    ASSERT_NE(testCase, nullptr);
    EXPECT_EQ(testCase->refId, 0x2Fu);
    EXPECT_EQ(testCase->parent, tree.findNode(0, 2));
    const TestNode* check = tree.findNode(0, 3);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->kind, ElementKind::CheckExpression);
    EXPECT_EQ(check->name(), "a\"b");
    EXPECT_EQ(check->parent, testCase);
    EXPECT_EQ(childNames(tree.fileRoot(0)), (std::vector<std::string>{"Suite", "Stub"}));
}

TEST(OtsReader, IdsAboveSevenFFFFFFFStayDistinct)
{
    // Ids, parent ids and reference ids use all 32 bits; read as signed values
    // they all became 7FFFFFFF and collapsed into one element.
    TestTree tree;
    OtsGlobals globals;
    ASSERT_TRUE(readOts(tree, globals,
                        "TC 80000001 \"High\" line=3 p=1; r=fffffff0;\n"
                        "CH 80000002 \"h\" line=4 p=80000001;\n"
                        "CH ffffffff \"top\" line=5 p=80000001;\n"
                        "SB fffffff0 \"Stub\" line=6 p=1;\n"));
    TestNode* high = tree.findNode(0, 0x80000001u);
    ASSERT_NE(high, nullptr);
    EXPECT_EQ(high->name(), "High");
    EXPECT_EQ(high->refId, 0xFFFFFFF0u);
    EXPECT_EQ(childNames(high), (std::vector<std::string>{"h", "top"}));
    EXPECT_EQ(tree.findNode(0, 0x7FFFFFFFu), nullptr);
    ASSERT_NE(tree.findNode(0, 0xFFFFFFF0u), nullptr);
    EXPECT_EQ(tree.findNode(0, 0xFFFFFFF0u)->name(), "Stub");
}

TEST(OtsReader, ParentEndingAtBlankAndMissingParent)
{
    TestTree tree;
    OtsGlobals globals;
    ASSERT_TRUE(readOts(tree, globals,
                        "TC 5 \"Orphan\" line=1 p=99;\n"
                        "CH 6 \"Child of orphan\" line=2 p=5;\n"
                        "TC 7 \"Blank\" line=3 p=1 r=8;\n"));
    EXPECT_EQ(tree.findNode(0, 5), nullptr);
    EXPECT_EQ(tree.findNode(0, 6), nullptr);
    const TestNode* node = tree.findNode(0, 7);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->refId, 8u);
    EXPECT_EQ(tree.nodeCount(), 2u); // root and TC 7
}

TEST(OtsReader, FileLevelRecords)
{
    TestTree tree;
    OtsGlobals globals;
    ASSERT_TRUE(readOts(tree, globals,
                        "CK 80000000 -1\n"
                        "OF \"C:\\src\\\" \"main.cpp\" 1f\n"
                        "CP 4 \"call\" line=2 p=1;\n"
                        "XX 5 \"unknown\" line=2 p=1;\n"
                        "cb 6 \"lower case\" line=2 p=1;\n"
                        "NC 7 \"not a node\" line=2 p=1;\n"
                        "RU 9 \"run\" line=2 p=1;\n"
                        "CB 8 \"Prologue\" line=2 p=1;\n"));
    ASSERT_EQ(tree.entryCount(), 1);
    const OtsFileEntry& entry = tree.entry(0);
    EXPECT_EQ(entry.checksum1, 0x80000000u); // all 32 bits kept
    EXPECT_EQ(entry.checksum2, 0xFFFFFFFFu);
    // readToken gives a backslash no meaning.
    EXPECT_EQ(entry.sourceDirectory, std::optional<std::string>("C:\\src\\"));
    EXPECT_EQ(entry.sourceFileName, std::optional<std::string>("main.cpp"));
    EXPECT_EQ(entry.sourceValue, 0x1Fu);
    EXPECT_EQ(tree.otsFileName(0), std::optional<std::string>("C:\\src\\main.cpp"));
    // Skipped codes add nothing; the record after them is read normally.
    EXPECT_EQ(childNames(tree.fileRoot(0)), std::vector<std::string>{"Prologue"});
}

TEST(OtsReader, GlobalTextsFirstRecordWins)
{
    TestTree tree;
    OtsGlobals globals;
    ASSERT_TRUE(readOts(tree, globals, "VO \nDP 2024-01-02 10:00\nVO 9.9\n", 0));
    ASSERT_TRUE(readOts(tree, globals, "VO 2.0\r\nDP later\n", 1));
    // An empty first text is kept all the same.
    EXPECT_EQ(globals.testCompilerVersion, std::optional<std::string>(""));
    EXPECT_EQ(globals.testCompilationTime, std::optional<std::string>("2024-01-02 10:00"));

    TestTree other;
    OtsGlobals fresh;
    ASSERT_TRUE(readOts(other, fresh, "DP x\n", 0));
    ASSERT_TRUE(readOts(other, fresh, "VO " + std::string(2000, 'v') + "\n", 1));
    EXPECT_EQ(fresh.testCompilerVersion, std::optional<std::string>(std::string(1023, 'v')));
    EXPECT_EQ(fresh.testCompilationTime, std::optional<std::string>("x"));
}

TEST(OtsReader, TextAfterLastSemicolon)
{
    TestTree tree;
    OtsGlobals globals;
    // Remainder beginning with a blank: an empty code, only that remainder is skipped.
    ASSERT_TRUE(readOts(tree, globals,
                        "TC 2 \"A\" line=1 p=1; r=0; trailing words\n"
                        "TC 3 \"B\" line=2 p=1;\n"
                        // Remainder without a blank: it runs into the next code, and
                        // that record is skipped as unrecognised.
                        "TC 4 \"C\" line=3 p=1; r=0;junk\n"
                        "TC 5 \"D\" line=4 p=1;\n"
                        "TC 6 \"E\" line=5 p=1;\n"));
    EXPECT_EQ(childNames(tree.fileRoot(0)), (std::vector<std::string>{"A", "B", "C", "E"}));
}

TEST(OtsReader, CrLfAndEdgesOfTheFile)
{
    TestTree tree;
    OtsGlobals globals;
    // CR LF line ends; the last record has no line end at all.
    ASSERT_TRUE(readOts(tree, globals,
                        "CK 10 20\r\n"
                        "TC 1a \"Case one\" line=12 p=1;\r\n"
                        "TC 1b \"Two\" line=13 p=1; r=5;\r\n"
                        "VO 1.0\r\n"
                        "TC 1c \"Three\" line=14 p=1;"));
    EXPECT_EQ(tree.entry(0).checksum2, 0x20u);
    EXPECT_EQ(globals.testCompilerVersion, std::optional<std::string>("1.0"));
    ASSERT_NE(tree.findNode(0, 0x1B), nullptr);
    EXPECT_EQ(tree.findNode(0, 0x1B)->refId, 5u);
    ASSERT_NE(tree.findNode(0, 0x1C), nullptr);
    EXPECT_EQ(tree.findNode(0, 0x1C)->name(), "Three");
    EXPECT_EQ(childNames(tree.fileRoot(0)), (std::vector<std::string>{"Case one", "Two", "Three"}));
}

TEST(OtsReader, EmptyInputAndSeveralFiles)
{
    TestTree tree;
    OtsGlobals globals;
    ASSERT_TRUE(readOts(tree, globals, "", 0, "a/first.x.ots"));
    EXPECT_EQ(tree.nodeCount(), 1u);
    EXPECT_EQ(tree.fileCount(), 1);
    EXPECT_EQ(tree.fileRoot(0)->firstChild, nullptr);
    EXPECT_FALSE(globals.testCompilerVersion.has_value());

    // The same id in two files names two elements.
    ASSERT_TRUE(readOts(tree, globals, "TC 2 \"In one\" line=1 p=1;\n", 1, "b/second.ots"));
    ASSERT_NE(tree.findNode(1, 2), nullptr);
    EXPECT_EQ(tree.findNode(1, 2)->name(), "In one");
    EXPECT_EQ(tree.findNode(0, 2), nullptr);
    EXPECT_EQ(tree.fileRoot(0)->name(), "second");
    EXPECT_EQ(tree.fileRoot(1)->name(), "first");
}

TEST(OtsReader, Files)
{
    char pattern[] = "/tmp/qv-ots-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string path = dir + "/suite.a.ots";
    std::ofstream(path, std::ios::binary) << "CK 1 2\r\nTC 3 \"Case\" line=4 p=1;\r\n";

    TestTree tree;
    OtsGlobals globals;
    EXPECT_FALSE(readOtsFile(tree, globals, dir + "/missing.ots", 0));
    EXPECT_EQ(tree.entryCount(), 0);                  // nothing made for a file that cannot be opened
    EXPECT_FALSE(readOtsFile(tree, globals, dir, 0)); // a directory is no OTS file
    EXPECT_EQ(tree.entryCount(), 0);

    ASSERT_TRUE(readOtsFile(tree, globals, path, 0));
    EXPECT_EQ(tree.fileRoot(0)->name(), "suite");
    EXPECT_EQ(tree.entry(0).checksum1, 1u);
    ASSERT_NE(tree.findNode(0, 3), nullptr);
    EXPECT_EQ(tree.findNode(0, 3)->name(), "Case");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace qv
