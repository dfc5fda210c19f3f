// The test tree: identifier index, file list, node creation with its counter
// records and declaration counts, trace texts, class collection and release.
#include "model/kinds.h"
#include "model/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qv;

/// Reference form of the bucket: the identifier text printed, then weighted.
uint32_t referenceHash(int fileIndex, uint32_t id)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d/%lxh", fileIndex, static_cast<unsigned long>(id));
    uint32_t sum = 0;
    for (int i = 0; text[i]; ++i)
        sum += uint32_t(uint8_t(text[i])) * uint32_t(i + 1);
    return sum % 97;
}

/// Every node of a file, children before parents.
std::vector<TestNode*> nodesOf(TestNode* root)
{
    std::vector<TestNode*> nodes;
    walkPostOrder(root, [&](TestNode* n) { nodes.push_back(n); });
    return nodes;
}

TEST(NodeHash, IdentifierTextExamples)
{
    EXPECT_EQ(TestTree::nodeHash(0, 0x1A), 33u);  // "0/1ah"
    EXPECT_EQ(TestTree::nodeHash(2, 1), 28u);     // "2/1h"
    EXPECT_EQ(TestTree::nodeHash(-1, 0x1A), 37u); // "-1/1ah"
    EXPECT_EQ(TestTree::nodeHash(123, 0xFFFFFFFFu), 48u);
}

TEST(NodeHash, MatchesThePrintedTextOverManyPairs)
{
    std::mt19937 rng(7);
    const int indices[] = {0, 1, 9, 10, 99, 100, -1, -10, 2147483647, -2147483647 - 1};
    for (int fileIndex : indices) {
        for (uint32_t id : {0u, 1u, 0xFu, 0x10u, 0xABCDEFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
            ASSERT_EQ(TestTree::nodeHash(fileIndex, id), referenceHash(fileIndex, id))
                << fileIndex << " " << id;
        for (int i = 0; i < 2000; ++i) {
            const uint32_t id = rng();
            ASSERT_EQ(TestTree::nodeHash(fileIndex, id), referenceHash(fileIndex, id));
        }
    }
}

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override { tree.initTree(); }
    TestTree tree;
};

TEST_F(TreeTest, RootOfAnOtsFile)
{
    tree.openOtsFile(0, "suite");
    tree.openOtsFile(1, "plain");
    tree.openOtsFile(2, "");
    TestNode* root = tree.findNode(0, 1);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name(), "suite");
    EXPECT_EQ(root->kind, ElementKind::TestDriver);
    EXPECT_EQ(root->id, 1u);
    EXPECT_EQ(root->line, 0);
    EXPECT_EQ(root->status, NodeStatus::Passed);
    EXPECT_EQ(root->parent, nullptr);
    ASSERT_NE(root->driverCounters(), nullptr);
    EXPECT_EQ(root->verdict(), nullptr);
    EXPECT_EQ(root->classCounters(), nullptr);
    EXPECT_EQ(tree.findNode(1, 1)->name(), "plain");
    EXPECT_EQ(tree.findNode(2, 1)->name(), "");
    EXPECT_EQ(tree.findNode(2, 1)->fileIndex, 2);
    EXPECT_EQ(tree.findNode(3, 1), nullptr);
}

TEST_F(TreeTest, FileListRunsNewestFirst)
{
    tree.openOtsFile(0, "first");
    tree.setSourceFile(0, std::string("src/"), std::string("first.cpp"), 11);
    tree.openOtsFile(1, "second");
    tree.setSourceFile(1, std::string("lib/"), std::string("second.cpp"), 22);
    ASSERT_EQ(tree.fileCount(), 2);
    EXPECT_EQ(tree.fileRoot(0), tree.findNode(1, 1));
    EXPECT_EQ(tree.fileRoot(1), tree.findNode(0, 1));
    EXPECT_EQ(tree.otsFileNameAt(0), std::optional<std::string>("lib/second.cpp"));
    EXPECT_EQ(tree.otsFileNameAt(1), std::optional<std::string>("src/first.cpp"));
    EXPECT_EQ(tree.otsFileNameAt(2), std::nullopt);
    EXPECT_EQ(tree.entry(0).fileIndex, 1);
    EXPECT_EQ(tree.entry(0).sourceValue, 22u);
    EXPECT_EQ(tree.entry(1).fileIndex, 0);
}

TEST_F(TreeTest, SourceFileNamesWithAbsentParts)
{
    tree.openOtsFile(0, "a"); // no source record at all
    tree.openOtsFile(1, "b");
    tree.setSourceFile(1, std::nullopt, std::string("only.cpp"), 3);
    tree.openOtsFile(2, "c");
    tree.setSourceFile(2, std::string("dir/"), std::nullopt, 4);
    EXPECT_EQ(tree.otsFileName(0), std::optional<std::string>(""));
    EXPECT_EQ(tree.otsFileName(1), std::optional<std::string>("only.cpp"));
    EXPECT_EQ(tree.otsFileName(2), std::optional<std::string>("dir/"));
    EXPECT_EQ(tree.otsFileName(7), std::nullopt);
    EXPECT_FALSE(tree.entry(2).sourceDirectory.has_value());
    EXPECT_FALSE(tree.entry(0).sourceFileName.has_value());
    // A file record for an unknown file changes nothing and does not fail.
    tree.setSourceFile(9, std::string("x"), std::string("y"), 1);
    tree.setChecksum(9, 1, 2);
    EXPECT_EQ(tree.entryCount(), 3);
}

TEST_F(TreeTest, TraceFileBindingsAndCopies)
{
    tree.openOtsFile(0, "a");
    tree.setChecksum(0, 0x10, 0x20);
    tree.setSourceFile(0, std::string("d/"), std::string("a.cpp"), 9);
    tree.openOtsFile(1, "b");
    tree.setChecksum(1, 0x30, 0x40);

    tree.bindTdfFile(5, 0x10, 0x20);
    EXPECT_EQ(tree.entryCount(), 2); // the first binding fills the entry itself
    tree.bindTdfFile(7, 0x10, 0x20);
    EXPECT_EQ(tree.entryCount(), 3);
    EXPECT_EQ(tree.fileCount(), 2);
    EXPECT_EQ(tree.fileIndexOfTdfId(5), 0);
    EXPECT_EQ(tree.fileIndexOfTdfId(7), 0);
    EXPECT_EQ(tree.fileIndexOfTdfId(6), -1);

    const OtsFileEntry& copy = tree.entry(0);
    EXPECT_EQ(copy.root, nullptr);
    EXPECT_EQ(copy.fileIndex, 0);
    EXPECT_EQ(copy.tdfFileId, 7u);
    EXPECT_EQ(copy.sourceValue, 9u);
    EXPECT_EQ(copy.checksum1, 0x10u);
    EXPECT_EQ(copy.checksum2, 0x20u);
    EXPECT_EQ(copy.sourceDirectory, std::optional<std::string>("d/"));
    EXPECT_EQ(copy.sourceFileName, std::optional<std::string>("a.cpp"));
    // The copies do not count among the roots.
    EXPECT_EQ(tree.fileRoot(0), tree.findNode(1, 1));
    EXPECT_EQ(tree.fileRoot(1), tree.findNode(0, 1));
    EXPECT_EQ(tree.otsFileName(0), std::optional<std::string>("d/a.cpp"));

    tree.bindTdfFile(8, 0x10, 0x99); // no file has this pair
    EXPECT_EQ(tree.entryCount(), 3);
    EXPECT_EQ(tree.fileIndexOfTdfId(8), -1);
    tree.bindTdfFile(3, 0x30, 0x40);
    EXPECT_EQ(tree.fileIndexOfTdfId(3), 1);
}

TEST_F(TreeTest, RebindingFollowsTheFrontMostEntryWithoutGrowingTheList)
{
    tree.openOtsFile(0, "a");
    tree.setChecksum(0, 0x10, 0x20);
    tree.openOtsFile(1, "b");
    tree.setChecksum(1, 0x30, 0x40);
    // Id 0 names the front-most entry that is still unbound.
    EXPECT_EQ(tree.fileIndexOfTdfId(0), 1);

    tree.bindTdfFile(5, 0x10, 0x20);
    EXPECT_EQ(tree.fileIndexOfTdfId(5), 0);
    // The same file under the same id again, many times: nothing to add.
    for (int i = 0; i < 1000; ++i)
        tree.bindTdfFile(5, 0x10, 0x20);
    EXPECT_EQ(tree.entryCount(), 2);

    // The id moves to the other file, then back: each move is a copy in front.
    tree.bindTdfFile(3, 0x30, 0x40);
    tree.bindTdfFile(5, 0x30, 0x40);
    EXPECT_EQ(tree.fileIndexOfTdfId(5), 1);
    EXPECT_EQ(tree.fileIndexOfTdfId(3), 1);
    EXPECT_EQ(tree.entryCount(), 3);
    tree.bindTdfFile(5, 0x10, 0x20);
    EXPECT_EQ(tree.fileIndexOfTdfId(5), 0);
    EXPECT_EQ(tree.entryCount(), 4);
    EXPECT_EQ(tree.fileIndexOfTdfId(0), -1);
    EXPECT_EQ(tree.fileCount(), 2);
    EXPECT_EQ(tree.fileRoot(0), tree.findNode(1, 1));
    EXPECT_EQ(tree.fileRoot(1), tree.findNode(0, 1));
    EXPECT_EQ(tree.fileRoot(2), nullptr);

    // Many distinct ids: one copy each, every one found.
    for (uint32_t id = 100; id < 20100; ++id)
        tree.bindTdfFile(id, id % 2 ? 0x10 : 0x30, id % 2 ? 0x20 : 0x40);
    for (uint32_t id = 100; id < 20100; ++id)
        ASSERT_EQ(tree.fileIndexOfTdfId(id), id % 2 ? 0 : 1);
    EXPECT_EQ(tree.fileIndexOfTdfId(99), -1);
    EXPECT_EQ(tree.fileCount(), 2);

    // A file read after the bindings is unbound and found under id 0 again.
    tree.openOtsFile(2, "c");
    EXPECT_EQ(tree.fileIndexOfTdfId(0), 2);
    EXPECT_EQ(tree.fileIndexOfTdfId(5), 0);
}

TEST_F(TreeTest, AddNodeLinksInOrderAndDropsOrphans)
{
    tree.openOtsFile(0, "s");
    tree.addNode(0, ElementKind::TestSuite, 0x10, "Suite", 1, 3, 0);
    tree.addNode(0, ElementKind::TestCase, 0x11, "Case1", 0x10, 4, 0);
    tree.addNode(0, ElementKind::TestCase, 0x12, "Case2", 0x10, 9, 0x77);
    tree.addNode(0, ElementKind::CheckExpression, 0x20, "Lost", 0x99, 5, 0);    // unknown parent
    tree.addNode(0, ElementKind::CheckExpression, 0x21, "LostToo", 0x20, 6, 0); // its child
    tree.addNode(1, ElementKind::TestCase, 0x30, "OtherFile", 1, 2, 0);         // no file 1

    TestNode* suite = tree.findNode(0, 0x10);
    ASSERT_NE(suite, nullptr);
    EXPECT_EQ(suite->parent, tree.findNode(0, 1));
    ASSERT_NE(suite->firstChild, nullptr);
    EXPECT_EQ(suite->firstChild->name(), "Case1");
    EXPECT_EQ(suite->firstChild->nextSibling, suite->lastChild);
    EXPECT_EQ(suite->lastChild->name(), "Case2");
    EXPECT_EQ(suite->lastChild->nextSibling, nullptr);
    EXPECT_EQ(suite->lastChild->refId, 0x77u);
    EXPECT_EQ(suite->lastChild->line, 9);
    EXPECT_EQ(suite->firstChild->refId, 0u);
    EXPECT_EQ(tree.findNode(0, 0x20), nullptr);
    EXPECT_EQ(tree.findNode(0, 0x21), nullptr);
    EXPECT_EQ(tree.findNode(1, 0x30), nullptr);
    EXPECT_EQ(tree.nodeCount(), 4u);
}

TEST_F(TreeTest, DuplicateIdentifierFirstRegisteredWins)
{
    tree.openOtsFile(0, "s");
    tree.openOtsFile(1, "t");
    tree.addNode(0, ElementKind::TestCase, 0x40, "First", 1, 1, 0);
    tree.addNode(0, ElementKind::TestCase, 0x40, "Second", 1, 2, 0);
    tree.addNode(1, ElementKind::TestCase, 0x40, "OtherFile", 1, 3, 0);
    EXPECT_EQ(tree.findNode(0, 0x40)->name(), "First");
    EXPECT_EQ(tree.findNode(1, 0x40)->name(), "OtherFile");
    TestNode* root = tree.findNode(0, 1);
    EXPECT_EQ(root->lastChild->name(), "Second"); // linked although not findable
    // A child naming the duplicate id hangs under the first one.
    tree.addNode(0, ElementKind::CheckExpression, 0x41, "Check", 0x40, 3, 0);
    EXPECT_EQ(tree.findNode(0, 0x41)->parent->name(), "First");
    // A record reusing the root's id does not hide the root.
    tree.addNode(0, ElementKind::TestSuite, 1, "Impostor", 1, 4, 0);
    EXPECT_EQ(tree.findNode(0, 1), root);
}

TEST_F(TreeTest, ManyNodesInOneBucketStayFindable)
{
    tree.openOtsFile(0, "s");
    // Ids whose identifier texts fall into the bucket of the root.
    const uint32_t bucket = TestTree::nodeHash(0, 1);
    std::vector<uint32_t> ids;
    for (uint32_t id = 2; ids.size() < 3000; ++id)
        if (TestTree::nodeHash(0, id) == bucket)
            ids.push_back(id);
    for (uint32_t id : ids)
        tree.addNode(0, ElementKind::Comment, id, "c" + std::to_string(id), 1, 0, 0);
    for (uint32_t id : ids) {
        TestNode* n = tree.findNode(0, id);
        ASSERT_NE(n, nullptr);
        ASSERT_EQ(n->id, id);
        ASSERT_EQ(n->name(), "c" + std::to_string(id));
    }
    EXPECT_EQ(tree.findNode(0, ids.back() + 1), nullptr);
    EXPECT_EQ(tree.findNode(1, ids.front()), nullptr);
}

TEST_F(TreeTest, CounterRecordsAndFirstStatusByKind)
{
    tree.openOtsFile(0, "s");
    for (int k = 1; k <= 36; ++k) {
        const ElementKind kind = ElementKind(k);
        TestNode* n = tree.createNode(kind, 0, 0x100 + k, "n", nullptr, 1);
        SCOPED_TRACE(k);
        EXPECT_EQ(n->verdict() != nullptr, isVerdictKind(kind));
        EXPECT_EQ(n->classCounters() != nullptr,
                  kind == ElementKind::Class || kind == ElementKind::SingleClass);
        EXPECT_EQ(n->driverCounters() != nullptr, kind == ElementKind::TestDriver);
        if (kind == ElementKind::ObservationState || !isVerdictKind(kind))
            EXPECT_EQ(n->status, NodeStatus::Passed);
        else
            EXPECT_EQ(n->status, NodeStatus::NotExecuted);
        EXPECT_EQ(n->refId, 0u);
        EXPECT_EQ(n->firstChild, nullptr);
        EXPECT_FALSE(TestTree::hasTraceTexts(*n));
    }
    TestNode* cls = tree.createNode(ElementKind::Class, 0, 0x200, "C", nullptr, 1);
    const ClassCounters& c = *cls->classCounters();
    EXPECT_EQ(c.methodContracts + c.invariants + c.states + c.transitions, 0);
    EXPECT_EQ(c.stateStatus, NodeStatus::Executed);
    EXPECT_EQ(c.stateChartStatus, NodeStatus::Passed);
    EXPECT_EQ(c.transitionStatus, NodeStatus::Executed);
    EXPECT_EQ(c.contractStatus, NodeStatus::Executed);
    EXPECT_EQ(c.invariantStatus, NodeStatus::Executed);
    // createNode neither registers nor links.
    EXPECT_EQ(tree.findNode(0, 0x200), nullptr);
    EXPECT_EQ(tree.findNode(0, 1)->firstChild, nullptr);
}

TEST_F(TreeTest, DeclarationsCountOnTheRootOrTheNearestClass)
{
    tree.openOtsFile(0, "s");
    const DriverCounters& d = *tree.findNode(0, 1)->driverCounters();
    tree.addNode(0, ElementKind::TestSuite, 2, "Suite", 1, 1, 0);
    tree.addNode(0, ElementKind::TestClass, 3, "TClass", 2, 1, 0);
    tree.addNode(0, ElementKind::TestCase, 4, "Case", 3, 1, 0);
    tree.addNode(0, ElementKind::Class, 5, "Cls", 4, 1, 0); // a class under a test case
    tree.addNode(0, ElementKind::State, 6, "S", 5, 1, 0);
    tree.addNode(0, ElementKind::Transition, 7, "T", 6, 1, 0); // under a state of the class
    tree.addNode(0, ElementKind::MethodContract, 8, "M", 5, 1, 0);
    tree.addNode(0, ElementKind::PreCondition, 9, "Pre", 8, 1, 0);
    tree.addNode(0, ElementKind::Invariant, 10, "I", 5, 1, 0);
    tree.addNode(0, ElementKind::ObservationState, 11, "O", 5, 1, 0); // counted nowhere
    tree.addNode(0, ElementKind::SingleClass, 12, "Inner", 5, 1, 0);
    tree.addNode(0, ElementKind::State, 13, "InnerState", 12, 1, 0);
    tree.addNode(0, ElementKind::Prologue, 14, "Pro", 2, 1, 0);
    tree.addNode(0, ElementKind::Epilogue, 15, "Epi", 2, 1, 0);
    tree.addNode(0, ElementKind::Proc, 16, "P", 1, 1, 0);
    tree.addNode(0, ElementKind::Stub, 17, "Sb", 16, 1, 0);
    tree.addNode(0, ElementKind::State, 18, "Homeless", 4, 1, 0); // no class above

    EXPECT_EQ(d.testSuites, 1);
    EXPECT_EQ(d.testClasses, 1);
    EXPECT_EQ(d.testCases, 1);
    EXPECT_EQ(d.classes, 2);
    EXPECT_EQ(d.prologues, 1);
    EXPECT_EQ(d.epilogues, 1);
    EXPECT_EQ(d.procedures, 1);
    EXPECT_EQ(d.stubs, 1);

    const ClassCounters& outer = *tree.findNode(0, 5)->classCounters();
    EXPECT_EQ(outer.states, 1);
    EXPECT_EQ(outer.transitions, 1);
    EXPECT_EQ(outer.methodContracts, 1);
    EXPECT_EQ(outer.invariants, 1);
    const ClassCounters& inner = *tree.findNode(0, 12)->classCounters();
    EXPECT_EQ(inner.states, 1);
    EXPECT_EQ(inner.transitions + inner.methodContracts + inner.invariants, 0);
    // The class-less state is still in the tree.
    ASSERT_NE(tree.findNode(0, 18), nullptr);
    EXPECT_EQ(tree.findNode(0, 18)->parent, tree.findNode(0, 4));
}

TEST_F(TreeTest, AnchorsEqualTheClimbs)
{
    std::mt19937 rng(11);
    const ElementKind kinds[] = {
        ElementKind::TestSuite,   ElementKind::TestCase,        ElementKind::Class,
        ElementKind::SingleClass, ElementKind::CheckExpression, ElementKind::State,
        ElementKind::Transition,  ElementKind::MethodContract,  ElementKind::Expression,
        ElementKind::Stub,        ElementKind::CheckException};
    for (int f = 0; f < 3; ++f) {
        tree.openOtsFile(f, "f" + std::to_string(f));
        for (uint32_t id = 2; id < 600; ++id) {
            const uint32_t parent = 1 + rng() % (id - 1);
            tree.addNode(f, kinds[rng() % std::size(kinds)], id, "n", parent, 0, 0);
        }
    }
    auto climb = [](TestNode* n, auto pred) -> TestNode* {
        for (; n; n = n->parent)
            if (pred(n->kind))
                return n;
        return nullptr;
    };
    int checked = 0;
    for (int f = 0; f < 3; ++f) {
        for (TestNode* n : nodesOf(tree.findNode(f, 1))) {
            ASSERT_EQ(n->verdictAnchor, climb(n, isVerdictKind));
            ASSERT_EQ(n->classAnchor, climb(n, [](ElementKind k) {
                          return k == ElementKind::Class || k == ElementKind::SingleClass;
                      }));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 3 * 599);
}

TEST_F(TreeTest, TraceTextsInArrivalOrder)
{
    tree.openOtsFile(0, "s");
    tree.addNode(0, ElementKind::CheckExpression, 2, "C", 1, 1, 0);
    tree.attachTraceText(0, 2, "one");
    tree.attachTraceText(0, 2, "two");
    tree.attachTraceText(0, 2, "");
    tree.attachTraceText(0, 3, "lost");
    const TestNode* n = tree.findNode(0, 2);
    const TraceTextStore& store = tree.traceTexts();
    std::vector<uint64_t> refs;
    store.collect(n->lastText, refs);
    std::vector<std::string> texts;
    std::string scratch;
    for (const uint64_t ref : refs)
        texts.emplace_back(store.text(ref, scratch));
    EXPECT_EQ(texts, (std::vector<std::string>{"one", "two", ""}));
    EXPECT_EQ(store.count(), 3u); // the text of a missing node is not stored
    EXPECT_FALSE(TestTree::hasTraceTexts(*tree.findNode(0, 1)));
}

TEST_F(TreeTest, ReleaseEmptiesTheTreeForReuse)
{
    tree.openOtsFile(0, "s");
    tree.setChecksum(0, 1, 2);
    tree.bindTdfFile(4, 1, 2);
    tree.bindTdfFile(5, 1, 2);
    tree.addNode(0, ElementKind::TestCase, 2, "C", 1, 1, 0);
    tree.attachTraceText(0, 2, "text");
    tree.releaseTree();
    EXPECT_EQ(tree.traceTexts().count(), 0u);
    EXPECT_EQ(tree.traceTexts().size(), 0u);
    EXPECT_EQ(tree.fileCount(), 0);
    EXPECT_EQ(tree.entryCount(), 0);
    EXPECT_EQ(tree.nodeCount(), 0u);
    EXPECT_EQ(tree.findNode(0, 1), nullptr);
    EXPECT_EQ(tree.findNode(0, 2), nullptr);
    EXPECT_EQ(tree.fileIndexOfTdfId(4), -1);
    EXPECT_EQ(tree.otsFileName(0), std::nullopt);

    tree.openOtsFile(0, "again");
    tree.addNode(0, ElementKind::TestCase, 2, "D", 1, 1, 0);
    EXPECT_EQ(tree.findNode(0, 2)->name(), "D");
    EXPECT_EQ(tree.findNode(0, 1)->driverCounters()->testCases, 1);
}

} // namespace
