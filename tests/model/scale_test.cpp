// Deep and large trees: a chain of a million nested elements is created,
// counted, evaluated, tallied and released without recursion and in linear
// time, including chains full of stub references.
#include "model/evaluation.h"
#include "model/kinds.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace qv;

constexpr uint32_t Depth = 1000000;
// The limit tells linear from quadratic; the sanitized build runs several times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr double TimeLimitSeconds = 60.0;
#else
constexpr double TimeLimitSeconds = 10.0;
#endif

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(Scale, MillionDeepChainIsBuiltEvaluatedAndReleased)
{
    const auto start = std::chrono::steady_clock::now();
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "deep");
    // Suite, case, check, class, state ... each nested in the previous one.
    const ElementKind kinds[] = {ElementKind::TestSuite, ElementKind::TestCase, ElementKind::CheckExpression,
                                 ElementKind::Class, ElementKind::State};
    for (uint32_t id = 2; id < Depth + 2; ++id)
        tree.addNode(0, kinds[id % 5], id, "n", id - 1, int(id), 0);
    ASSERT_EQ(tree.nodeCount(), size_t(Depth) + 1);

    const DriverCounters& d = *tree.findNode(0, 1)->driverCounters();
    EXPECT_EQ(d.testSuites, int(Depth / 5));
    EXPECT_EQ(d.testCases, int(Depth / 5));
    EXPECT_EQ(d.classes, int(Depth / 5));
    // Each state is counted on the class just above it.
    EXPECT_EQ(tree.findNode(0, 3)->classCounters()->states, 1);

    // Events on the deepest element and on one near the top.
    const uint32_t deepest = Depth + 1;
    markHit(tree.findNode(0, deepest), TraceEvent::Hit);
    markHit(tree.findNode(0, deepest), TraceEvent::PassVerdict);
    markHit(tree.findNode(0, 7), TraceEvent::FailVerdict); // a check near the top
    const TestNode* deepNode = tree.findNode(0, deepest);
    ASSERT_NE(deepNode, nullptr);
    EXPECT_EQ(deepNode->verdictAnchor,
              deepNode->kind == ElementKind::State || deepNode->kind == ElementKind::CheckExpression
                  ? deepNode
                  : deepNode->parent->verdictAnchor);

    evaluateTree(tree);
    EXPECT_EQ(tree.findNode(0, 1)->status, NodeStatus::Failed);
    const auto [passed, failed, inconclusive] = tallyStatuses(tree);
    // Every test case and every class's state group is counted once.
    EXPECT_EQ(passed + failed + inconclusive, int(2 * (Depth / 5)));
    EXPECT_GE(failed, 1);

    tree.releaseTree();
    EXPECT_EQ(tree.nodeCount(), 0u);
    EXPECT_LT(secondsSince(start), TimeLimitSeconds);
}

TEST(Scale, ChainOfReferencesToAStubBeneathThem)
{
    // Every element of the chain refers to the stub at its bottom: none may be
    // moved (each would become its own ancestor), and finding that out must
    // not climb the chain for every element.
    const auto start = std::chrono::steady_clock::now();
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "refs");
    const uint32_t stubId = Depth + 1;
    for (uint32_t id = 2; id < Depth + 1; ++id)
        tree.addNode(0, ElementKind::TestCase, id, "c", id - 1, 0, stubId);
    tree.addNode(0, ElementKind::Stub, stubId, "bottom", Depth, 0, 0);
    tree.addNode(0, ElementKind::Comment, stubId + 1, "leaf", stubId, 0, 0);

    evaluateTree(tree);
    EXPECT_EQ(tree.findNode(0, 2)->refId, stubId);
    EXPECT_EQ(tree.findNode(0, stubId)->parent, tree.findNode(0, Depth));
    EXPECT_EQ(tree.findNode(0, 2)->firstChild, tree.findNode(0, 3));
    EXPECT_LT(secondsSince(start), TimeLimitSeconds);
}

TEST(Scale, ManyElementsMovedUnderADeepStub)
{
    // Half a million referring elements, each with a child, target a stub at
    // the bottom of a half-million-deep chain.
    const auto start = std::chrono::steady_clock::now();
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "moves");
    const uint32_t half = Depth / 2;
    for (uint32_t id = 2; id < half + 2; ++id)
        tree.addNode(0, ElementKind::TestSuite, id, "s", id - 1, 0, 0);
    const uint32_t stubId = half + 2;
    tree.addNode(0, ElementKind::Stub, stubId, "deep", half + 1, 0, 0);
    uint32_t id = stubId + 1;
    for (uint32_t r = 0; r < half / 2; ++r, id += 2) {
        tree.addNode(0, ElementKind::TestCase, id, "r", 1, 0, stubId);
        tree.addNode(0, ElementKind::CheckExpression, id + 1, "x", id, 0, 0);
    }

    evaluateTree(tree);
    const TestNode* stub = tree.findNode(0, stubId);
    size_t moved = 0;
    for (const TestNode* c = stub->firstChild; c; c = c->nextSibling)
        ++moved;
    EXPECT_EQ(moved, size_t(half / 2));
    EXPECT_EQ(stub->firstChild->name(), "moves / x");
    EXPECT_EQ(stub->status, NodeStatus::NotExecuted); // unreached checks moved beneath it
    EXPECT_LT(secondsSince(start), TimeLimitSeconds);
}

} // namespace
