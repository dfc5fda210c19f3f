// Result evaluation: status merging, event counting, stub relinking, the
// evaluation of every kind, and the summary tally (the class aggregates are in
// classaggregates_test.cpp).
#include "model/evalfixture.h"
#include "model/evaluation.h"
#include "model/kinds.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace qv;

TEST(CombineStatus, WorseOfTwoInEitherOrder)
{
    // Executed < Passed < NotExecuted < Failed
    const int rank[] = {2, 0, 3, 1};
    for (int a = 0; a <= 3; ++a) {
        for (int b = 0; b <= 3; ++b) {
            const int expected = rank[a] >= rank[b] ? a : b;
            EXPECT_EQ(combineStatus(NodeStatus(a), NodeStatus(b)), NodeStatus(expected)) << a << "," << b;
        }
    }
    EXPECT_EQ(combineStatus(NodeStatus::Executed, NodeStatus::Executed), NodeStatus::Executed);
    EXPECT_EQ(combineStatus(NodeStatus::Passed, NodeStatus::NotExecuted), NodeStatus::NotExecuted);
}

TEST(CombineStatus, OutOfRangeArgumentYieldsTheOther)
{
    EXPECT_EQ(combineStatus(NodeStatus(-1), NodeStatus::Passed), NodeStatus::Passed);
    EXPECT_EQ(combineStatus(NodeStatus(4), NodeStatus::Executed), NodeStatus::Executed);
    EXPECT_EQ(combineStatus(NodeStatus::Failed, NodeStatus(7)), NodeStatus::Failed);
    EXPECT_EQ(combineStatus(NodeStatus::NotExecuted, NodeStatus(-3)), NodeStatus::NotExecuted);
    EXPECT_EQ(combineStatus(NodeStatus(9), NodeStatus(-9)), NodeStatus(-9));
}

using EvalTest = qv::testeval::EvalFixture;

TEST_F(EvalTest, MarkHitCountsOnTheNearestVerdictNode)
{
    tree.openOtsFile(0, "s");
    TestNode* tc = add(ElementKind::TestCase, 2, "Case", 1);
    TestNode* check = add(ElementKind::CheckExpression, 3, "Check", 2);
    TestNode* expr = add(ElementKind::Expression, 4, "Expr", 3);

    markHit(tree.findNode(0, 4), TraceEvent::FailVerdict);
    EXPECT_EQ(expr->status, NodeStatus::Failed);    // step 1 on the node itself
    EXPECT_EQ(check->status, NodeStatus::Executed); // parent, then the verdict node
    EXPECT_EQ(check->verdict()->failed, 1);
    EXPECT_EQ(tc->status, NodeStatus::Passed); // only the direct parent is touched

    markHit(tree.findNode(0, 3), TraceEvent::FailVerdict); // the verdict node is the node itself
    EXPECT_EQ(check->status, NodeStatus::Executed);        // step 4 overrides step 1
    EXPECT_EQ(check->verdict()->failed, 2);
    EXPECT_EQ(tc->status, NodeStatus::Executed);

    markHit(tree.findNode(0, 3), TraceEvent::Hit);
    markHit(tree.findNode(0, 3), TraceEvent::PassVerdict);
    markHit(tree.findNode(0, 3), TraceEvent::IllegalExit);
    markHit(tree.findNode(0, 3), TraceEvent::MultipleExit);
    markHit(tree.findNode(0, 3), TraceEvent::MultipleExit);
    EXPECT_EQ(check->verdict()->hits, 1);
    EXPECT_EQ(check->verdict()->passed, 1);
    EXPECT_EQ(check->verdict()->illegalExits, 1);
    EXPECT_EQ(check->verdict()->multipleExits, 2);

    markHit(tree.findNode(0, 0x99), TraceEvent::Hit); // no such element: nothing
    markHit(tree.findNode(1, 3), TraceEvent::Hit);
    EXPECT_EQ(check->verdict()->hits, 1);

    // Without a verdict node above, only the node and its parent change.
    TestNode* suite = add(ElementKind::TestSuite, 5, "Suite", 1);
    TestNode* lone = add(ElementKind::TestCase, 6, "Lone", 5);
    markHit(lone, TraceEvent::Hit);
    EXPECT_EQ(lone->status, NodeStatus::Executed);
    EXPECT_EQ(suite->status, NodeStatus::Executed);
    EXPECT_EQ(tree.findNode(0, 1)->status, NodeStatus::Passed); // two levels up: untouched
    markHit(nullptr, TraceEvent::Hit);                          // tolerated
}

TEST_F(EvalTest, CheckWithHitAndPassEndsPassed)
{
    tree.openOtsFile(0, "s");
    TestNode* suite = add(ElementKind::TestSuite, 2, "Suite", 1);
    TestNode* tc = add(ElementKind::TestCase, 3, "Case", 2);
    TestNode* check = add(ElementKind::CheckExpression, 4, "Check", 3);
    markHit(tree.findNode(0, 4), TraceEvent::Hit);
    markHit(tree.findNode(0, 4), TraceEvent::PassVerdict);
    evaluateTree(tree);
    EXPECT_EQ(check->status, NodeStatus::Passed);
    EXPECT_EQ(check->verdict()->passed, 1);
    EXPECT_EQ(check->verdict()->hits, 1);
    EXPECT_EQ(tc->status, NodeStatus::Passed);
    EXPECT_EQ(suite->status, NodeStatus::Passed);
    EXPECT_EQ(tally(), std::make_tuple(1, 0, 0));
}

TEST_F(EvalTest, FailedVerdictWinsUpToTheRoot)
{
    tree.openOtsFile(0, "s");
    TestNode* suite = add(ElementKind::TestSuite, 2, "Suite", 1);
    TestNode* tc = add(ElementKind::TestCase, 3, "Case", 2);
    TestNode* check = add(ElementKind::CheckExpression, 4, "Check", 3);
    TestNode* other = add(ElementKind::TestCase, 5, "Other", 2);
    add(ElementKind::CheckExpression, 6, "Good", 5);
    markHit(tree.findNode(0, 4), TraceEvent::PassVerdict);
    markHit(tree.findNode(0, 4), TraceEvent::FailVerdict);
    markHit(tree.findNode(0, 6), TraceEvent::PassVerdict);
    evaluateTree(tree);
    EXPECT_EQ(check->status, NodeStatus::Failed);
    EXPECT_EQ(check->verdict()->hits, 2);
    EXPECT_EQ(tc->status, NodeStatus::Failed);
    EXPECT_EQ(other->status, NodeStatus::Passed);
    EXPECT_EQ(suite->status, NodeStatus::Failed);
    EXPECT_EQ(tree.findNode(0, 1)->status, NodeStatus::Failed);
    EXPECT_EQ(tally(), std::make_tuple(1, 1, 0));
}

TEST_F(EvalTest, UnreachedCheckLeavesItsCaseNotExecuted)
{
    tree.openOtsFile(0, "s");
    TestNode* tc = add(ElementKind::TestCase, 2, "Case", 1);
    TestNode* reached = add(ElementKind::CheckExpression, 3, "Reached", 2);
    TestNode* missed = add(ElementKind::CheckExpression, 4, "Missed", 2);
    markHit(tree.findNode(0, 3), TraceEvent::PassVerdict);
    evaluateTree(tree);
    EXPECT_EQ(reached->status, NodeStatus::Passed);
    EXPECT_EQ(missed->status, NodeStatus::NotExecuted);
    EXPECT_EQ(tc->status, NodeStatus::NotExecuted);
    EXPECT_EQ(tally(), std::make_tuple(0, 0, 1));
}

TEST_F(EvalTest, UnreachedLeaves)
{
    tree.openOtsFile(0, "s");
    TestNode* tc = add(ElementKind::TestCase, 2, "Case", 1);
    TestNode* proc = add(ElementKind::Proc, 3, "Proc", 1);
    TestNode* stub = add(ElementKind::Stub, 4, "Stub", 1);
    TestNode* expr = add(ElementKind::Expression, 5, "Expr", 1);
    TestNode* hitCase = add(ElementKind::TestCase, 6, "HitCase", 1);
    markHit(tree.findNode(0, 6), TraceEvent::Hit);
    evaluateTree(tree);
    EXPECT_EQ(tc->status, NodeStatus::NotExecuted);
    EXPECT_EQ(proc->status, NodeStatus::NotExecuted);
    EXPECT_EQ(stub->status, NodeStatus::NotExecuted);
    EXPECT_EQ(expr->status, NodeStatus::Passed);
    EXPECT_EQ(hitCase->status, NodeStatus::Passed);
    // Never-called stub counts as passed, unreached case and proc as inconclusive.
    EXPECT_EQ(tally(), std::make_tuple(2, 0, 2));
}

TEST_F(EvalTest, VerdictNodeDecidedByItsCounters)
{
    tree.openOtsFile(0, "s");
    TestNode* onlyIllegal = add(ElementKind::State, 2, "IllegalOnly", 1);
    TestNode* hitOnly = add(ElementKind::CheckMethod, 3, "HitOnly", 1);
    TestNode* never = add(ElementKind::Print, 4, "Never", 1);
    markHit(tree.findNode(0, 2), TraceEvent::IllegalExit);
    markHit(tree.findNode(0, 3), TraceEvent::Hit);
    markHit(tree.findNode(0, 3), TraceEvent::Hit);
    evaluateTree(tree);
    EXPECT_EQ(onlyIllegal->status, NodeStatus::Executed); // shown as not executed
    EXPECT_EQ(onlyIllegal->verdict()->hits, 0);
    EXPECT_EQ(hitOnly->status, NodeStatus::Passed);
    EXPECT_EQ(hitOnly->verdict()->hits, 2); // passed + failed is 0: hits kept
    EXPECT_EQ(never->status, NodeStatus::NotExecuted);
}

TEST_F(EvalTest, VerdictChildrenArePulledIn)
{
    tree.openOtsFile(0, "s");
    TestNode* post = add(ElementKind::PostCondition, 2, "Post", 1);
    TestNode* a = add(ElementKind::CheckExpression, 3, "A", 2);
    TestNode* b = add(ElementKind::CheckExpression, 4, "B", 2);
    add(ElementKind::Expression, 5, "NotPulled", 2);
    markHit(tree.findNode(0, 2),
            TraceEvent::FailVerdict); // own counters are ignored once children are pulled
    markHit(tree.findNode(0, 3), TraceEvent::PassVerdict);
    markHit(tree.findNode(0, 3), TraceEvent::PassVerdict);
    markHit(tree.findNode(0, 4), TraceEvent::PassVerdict);
    evaluateTree(tree);
    EXPECT_EQ(a->status, NodeStatus::Passed);
    EXPECT_EQ(b->status, NodeStatus::Passed);
    EXPECT_EQ(post->verdict()->passed, 3);
    EXPECT_EQ(post->verdict()->failed, 1);
    EXPECT_EQ(post->verdict()->hits, 4);
    EXPECT_EQ(post->status, NodeStatus::Passed); // Executed merged with Passed children
}

TEST_F(EvalTest, CheckExceptionKeepsItsOwnVerdict)
{
    tree.openOtsFile(0, "s");
    TestNode* tc = add(ElementKind::TestCase, 2, "Case", 1);
    TestNode* cx = add(ElementKind::CheckException, 3, "Cx", 2);
    TestNode* inner = add(ElementKind::CheckExpression, 4, "Inner", 3);
    markHit(tree.findNode(0, 4), TraceEvent::FailVerdict);
    markHit(tree.findNode(0, 3), TraceEvent::PassVerdict);
    evaluateTree(tree);
    EXPECT_EQ(inner->status, NodeStatus::Failed);
    EXPECT_EQ(cx->verdict()->failed, 0);
    EXPECT_EQ(cx->verdict()->passed, 1);
    EXPECT_EQ(cx->verdict()->hits, 1);
    // The failed child merged Failed into it, then its own counters decided.
    EXPECT_EQ(cx->status, NodeStatus::Passed);
    EXPECT_EQ(tc->status, NodeStatus::Passed);
}

TEST_F(EvalTest, TallySkipsFilesWithoutTestedElements)
{
    tree.openOtsFile(0, "only-prologue");
    add(ElementKind::Prologue, 2, "Pro", 1);
    add(ElementKind::Epilogue, 3, "Epi", 1);
    add(ElementKind::CheckExpression, 4, "Loose", 1);
    tree.openOtsFile(1, "cases");
    add(ElementKind::TestCase, 2, "Case", 1, 0, 1);
    add(ElementKind::CheckExpression, 3, "Check", 2, 0, 1);
    markHit(tree.findNode(1, 3), TraceEvent::FailVerdict);
    evaluateTree(tree);
    EXPECT_EQ(tally(), std::make_tuple(0, 1, 0));
}

TEST_F(EvalTest, StubRelinkingMovesAndRenamesChildren)
{
    tree.openOtsFile(0, "a");
    TestNode* case2 = add(ElementKind::TestCase, 2, "Case2", 1);
    TestNode* call = add(ElementKind::CheckStub, 3, "CallSite", 2, 5);
    add(ElementKind::CheckExpression, 4, "Check1", 3);
    add(ElementKind::CheckExpression, 6, "Check2", 3);
    tree.openOtsFile(1, "b");
    TestNode* stub = add(ElementKind::Stub, 5, "TheStub", 1, 0, 1);
    add(ElementKind::Comment, 7, "Own", 5, 0, 1);

    evaluateTree(tree);
    EXPECT_EQ(childNames(stub), (std::vector<std::string>{"Own", "Case2 / Check1", "Case2 / Check2"}));
    EXPECT_EQ(call->firstChild, nullptr);
    EXPECT_EQ(call->lastChild, nullptr);
    EXPECT_EQ(call->refId, 0u);
    EXPECT_EQ(stub->lastChild, tree.findNode(0, 6));
    // Still found under their old identifiers, with their file index.
    EXPECT_EQ(tree.findNode(0, 4)->parent, stub);
    EXPECT_EQ(tree.findNode(0, 4)->fileIndex, 0);
    EXPECT_EQ(case2->firstChild, call);
}

TEST_F(EvalTest, StubRelinkingSearchesNewestFileFirstAndSkipsOtherKinds)
{
    tree.openOtsFile(0, "a");
    TestNode* oldStub = add(ElementKind::Stub, 5, "OldStub", 1);
    TestNode* ref = add(ElementKind::TestCase, 2, "Ref", 1, 5);
    add(ElementKind::Comment, 3, "C", 2);
    tree.openOtsFile(1, "b");
    add(ElementKind::TestCase, 5, "NotAStub", 1, 0, 1);
    tree.openOtsFile(2, "c");
    TestNode* ref2 = add(ElementKind::TestCase, 2, "Ref2", 1, 5, 2);
    add(ElementKind::Comment, 3, "D", 2, 0, 2);

    evaluateTree(tree);
    // Newest file first: file 1 holds id 5 but not as a stub, so file 0's stub wins
    // for both referring elements.
    EXPECT_EQ(childNames(oldStub), (std::vector<std::string>{"c / D", "a / C"}));
    EXPECT_EQ(ref->firstChild, nullptr);
    EXPECT_EQ(ref2->firstChild, nullptr);
}

TEST_F(EvalTest, StubRelinkingLeavesUnresolvedReferencesAlone)
{
    tree.openOtsFile(0, "a");
    TestNode* ref = add(ElementKind::TestCase, 2, "Ref", 1, 0x42);
    add(ElementKind::Comment, 3, "C", 2);
    TestNode* leafRef = add(ElementKind::TestCase, 4, "LeafRef", 1, 5);
    add(ElementKind::Stub, 5, "S", 1);
    evaluateTree(tree);
    EXPECT_EQ(ref->refId, 0x42u);
    EXPECT_EQ(childNames(ref), (std::vector<std::string>{"C"}));
    EXPECT_EQ(leafRef->refId, 5u); // no children: nothing happens
}

TEST_F(EvalTest, StubRelinkingNeverMakesACycle)
{
    tree.openOtsFile(0, "a");
    // A stub that refers to itself.
    TestNode* self = add(ElementKind::Stub, 2, "Self", 1, 2);
    add(ElementKind::Comment, 3, "C", 2);
    // An element whose target stub lies beneath it.
    TestNode* outer = add(ElementKind::TestCase, 4, "Outer", 1, 6);
    TestNode* mid = add(ElementKind::TestSuite, 5, "Mid", 4);
    TestNode* deep = add(ElementKind::Stub, 6, "Deep", 5);
    add(ElementKind::Comment, 7, "DeepChild", 6);
    // An element whose target stub is its ancestor: allowed.
    TestNode* upper = add(ElementKind::Stub, 8, "Upper", 1);
    TestNode* lower = add(ElementKind::TestCase, 9, "Lower", 8, 8);
    add(ElementKind::Comment, 10, "LowerChild", 9);

    evaluateTree(tree);
    EXPECT_EQ(childNames(self), (std::vector<std::string>{"C"}));
    EXPECT_EQ(self->refId, 2u);
    EXPECT_EQ(outer->firstChild, mid);
    EXPECT_EQ(outer->refId, 6u);
    EXPECT_EQ(deep->parent, mid);
    EXPECT_EQ(childNames(upper), (std::vector<std::string>{"Lower", "Upper / LowerChild"}));
    EXPECT_EQ(lower->firstChild, nullptr);
    // Every node still reaches the root.
    for (uint32_t id = 2; id <= 10; ++id) {
        int steps = 0;
        const TestNode* n = tree.findNode(0, id);
        while (n->parent && steps < 100) {
            n = n->parent;
            ++steps;
        }
        EXPECT_EQ(n, tree.findNode(0, 1)) << id;
    }
}

TEST_F(EvalTest, AllRelinkingComesBeforeAnyEvaluation)
{
    // The stub lives in the newest file, which is evaluated first; the element
    // referring to it lives in the older file.
    tree.openOtsFile(0, "a");
    TestNode* tc = add(ElementKind::TestCase, 2, "Case", 1, 5);
    add(ElementKind::CheckExpression, 3, "Check", 2);
    tree.openOtsFile(1, "b");
    TestNode* stub = add(ElementKind::Stub, 5, "Stub", 1, 0, 1);
    markHit(tree.findNode(0, 3), TraceEvent::FailVerdict);
    evaluateTree(tree);
    EXPECT_EQ(childNames(stub), (std::vector<std::string>{"a / Check"}));
    EXPECT_EQ(stub->status, NodeStatus::Failed);
    EXPECT_EQ(tree.findNode(1, 1)->status, NodeStatus::Failed);
    EXPECT_EQ(tc->status, NodeStatus::Passed); // reached, and a leaf once its check moved away
}

/// Builds the same random forest into a tree; ids are unique per file.
void buildRandomForest(TestTree& tree, uint32_t seed, int files, uint32_t perFile)
{
    std::mt19937 rng(seed);
    const ElementKind kinds[] = {ElementKind::TestCase,        ElementKind::Stub,    ElementKind::Stub,
                                 ElementKind::CheckExpression, ElementKind::Comment, ElementKind::TestSuite};
    for (int f = 0; f < files; ++f) {
        tree.openOtsFile(f, "f" + std::to_string(f));
        for (uint32_t id = 2; id < perFile; ++id) {
            const uint32_t parent = 1 + rng() % (id - 1);
            const uint32_t ref = rng() % 3 == 0 ? 2 + rng() % (perFile - 2) : 0;
            tree.addNode(f, kinds[rng() % std::size(kinds)], id, "n" + std::to_string(id), parent, 0, ref);
        }
    }
}

/// (file, id) of every node, with its parent's pair, name and child order.
std::map<std::pair<int, uint32_t>, std::string> shapeOf(TestTree& tree, int files, uint32_t perFile)
{
    std::map<std::pair<int, uint32_t>, std::string> shape;
    for (int f = 0; f < files; ++f) {
        for (uint32_t id = 1; id < perFile; ++id) {
            const TestNode* n = tree.findNode(f, id);
            std::string s = std::string(n->name()) + "|";
            if (n->parent)
                s += std::to_string(n->parent->fileIndex) + ":" + std::to_string(n->parent->id);
            s += "|";
            for (const TestNode* c = n->firstChild; c; c = c->nextSibling)
                s += std::to_string(c->fileIndex) + ":" + std::to_string(c->id) + ",";
            s += "|" + std::to_string(n->refId) + "|" + std::to_string(int(n->status));
            shape[{f, id}] = s;
        }
    }
    return shape;
}

TEST(EvaluateTreeRandom, RelinkingAgreesWithThePlainClimb)
{
    // evaluateTree answers the "target beneath the element" question through an
    // index; the single-node detail::relinkStub climbs. Both must move the same subtrees.
    size_t moved = 0, keptAsCycles = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        const int files = 1 + int(seed % 3);
        const uint32_t perFile = 30 + seed * 5;
        TestTree a, b;
        a.initTree();
        b.initTree();
        buildRandomForest(a, seed, files, perFile);
        buildRandomForest(b, seed, files, perFile);

        evaluateTree(a);
        for (int n = 0; n < b.entryCount(); ++n) {
            TestNode* root = b.entry(n).root;
            walkPostOrder(root->firstChild, [&](TestNode* node) { detail::relinkStub(b, node); });
            detail::relinkStub(b, root);
        }
        for (int n = 0; n < b.entryCount(); ++n) {
            TestNode* root = b.entry(n).root;
            walkPostOrder(root->firstChild, detail::evaluateNode);
            detail::evaluateNode(root);
        }
        ASSERT_EQ(shapeOf(a, files, perFile), shapeOf(b, files, perFile)) << "seed " << seed;

        // Both outcomes occur: moved children, and references kept because the
        // stub they name lies beneath them.
        for (int f = 0; f < files; ++f) {
            for (uint32_t id = 2; id < perFile; ++id) {
                const TestNode* n = a.findNode(f, id);
                moved += n->name().find(" / ") != std::string::npos;
                if (n->refId == 0 || !n->firstChild)
                    continue;
                for (int g = 0; g < files; ++g) {
                    const TestNode* t = a.findNode(g, n->refId);
                    if (t && t->kind == ElementKind::Stub) {
                        ++keptAsCycles;
                        break;
                    }
                }
            }
        }

        // No cycle: every node's climb ends at a root within the node count.
        for (int f = 0; f < files; ++f) {
            for (uint32_t id = 1; id < perFile; ++id) {
                const TestNode* n = a.findNode(f, id);
                size_t steps = 0;
                while (n->parent && steps <= a.nodeCount()) {
                    n = n->parent;
                    ++steps;
                }
                ASSERT_EQ(n->parent, nullptr);
                ASSERT_EQ(n->kind, ElementKind::TestDriver);
            }
        }
    }
    EXPECT_GT(moved, 100u);
    EXPECT_GT(keptAsCycles, 10u);
}

} // namespace
