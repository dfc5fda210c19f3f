// Class aggregates: how states, observation states, transitions, method
// contracts and invariants make up their class's status and its state chart.
#include "model/evalfixture.h"
#include "model/evaluation.h"
#include "model/kinds.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace qv;
using EvalTest = qv::testeval::EvalFixture;

TEST_F(EvalTest, StatesAndTheStateChart)
{
    tree.openOtsFile(0, "s");
    TestNode* cls = add(ElementKind::Class, 2, "C", 1);
    TestNode* obs = add(ElementKind::ObservationState, 3, "Observed", 2);
    TestNode* st = add(ElementKind::State, 4, "S", 2);
    markHit(tree.findNode(0, 4), TraceEvent::Hit);
    evaluateTree(tree);
    EXPECT_EQ(obs->status, NodeStatus::Passed); // no events
    EXPECT_EQ(st->status, NodeStatus::Passed);
    EXPECT_EQ(cls->classCounters()->stateStatus, NodeStatus::Passed);
    EXPECT_EQ(cls->classCounters()->stateChartStatus, NodeStatus::Passed);
    EXPECT_EQ(cls->status, NodeStatus::Passed);
    // One state group counted, and nothing for the observation state's own count.
    EXPECT_EQ(tally(), std::make_tuple(1, 0, 0));
}

TEST_F(EvalTest, MultipleExitFailsTheClass)
{
    tree.openOtsFile(0, "s");
    TestNode* cls = add(ElementKind::Class, 2, "C", 1);
    TestNode* st = add(ElementKind::State, 3, "S", 2);
    markHit(tree.findNode(0, 3), TraceEvent::Hit);
    markHit(tree.findNode(0, 3), TraceEvent::MultipleExit);
    evaluateTree(tree);
    EXPECT_EQ(st->status, NodeStatus::Passed);
    EXPECT_EQ(cls->classCounters()->stateChartStatus, NodeStatus::Failed);
    EXPECT_EQ(cls->classCounters()->stateStatus, NodeStatus::Passed);
    EXPECT_EQ(cls->status, NodeStatus::Failed);
    EXPECT_EQ(tree.findNode(0, 1)->status, NodeStatus::Failed);
    // The state passes, the chart fails.
    EXPECT_EQ(tally(), std::make_tuple(1, 1, 0));
}

TEST_F(EvalTest, IllegalExitOnAnObservationStateFailsTheChart)
{
    tree.openOtsFile(0, "s");
    TestNode* cls = add(ElementKind::SingleClass, 2, "C", 1);
    TestNode* obs = add(ElementKind::ObservationState, 3, "O", 2);
    markHit(tree.findNode(0, 3), TraceEvent::IllegalExit);
    evaluateTree(tree);
    EXPECT_EQ(obs->status, NodeStatus::Executed);
    EXPECT_EQ(cls->classCounters()->stateChartStatus, NodeStatus::Failed);
    EXPECT_EQ(cls->classCounters()->stateStatus, NodeStatus::Executed);
    EXPECT_EQ(cls->status, NodeStatus::Failed);
}

TEST_F(EvalTest, TransitionsContractsAndInvariantsAggregate)
{
    tree.openOtsFile(0, "s");
    TestNode* cls = add(ElementKind::Class, 2, "C", 1);
    TestNode* fired = add(ElementKind::Transition, 3, "Fired", 2);
    TestNode* missed = add(ElementKind::Transition, 4, "Missed", 2);
    TestNode* contract = add(ElementKind::MethodContract, 5, "M", 2);
    add(ElementKind::PreCondition, 6, "Pre", 5);
    TestNode* inv = add(ElementKind::Invariant, 7, "I", 2);
    markHit(tree.findNode(0, 3), TraceEvent::Hit);
    markHit(tree.findNode(0, 3), TraceEvent::IllegalExit); // transitions never fail the chart
    markHit(tree.findNode(0, 6), TraceEvent::FailVerdict);
    markHit(tree.findNode(0, 7), TraceEvent::PassVerdict);
    evaluateTree(tree);
    const ClassCounters& c = *cls->classCounters();
    EXPECT_EQ(fired->status, NodeStatus::Passed);
    EXPECT_EQ(missed->status, NodeStatus::NotExecuted);
    EXPECT_EQ(c.transitionStatus, NodeStatus::NotExecuted);
    EXPECT_EQ(c.stateChartStatus, NodeStatus::Passed);
    EXPECT_EQ(contract->status, NodeStatus::Failed);
    EXPECT_EQ(c.contractStatus, NodeStatus::Failed);
    EXPECT_EQ(inv->status, NodeStatus::Passed);
    EXPECT_EQ(c.invariantStatus, NodeStatus::Passed);
    EXPECT_EQ(c.stateStatus, NodeStatus::Executed); // no state declared
    EXPECT_EQ(cls->status, NodeStatus::Failed);
    // contract failed, invariant passed, transitions inconclusive; no states.
    EXPECT_EQ(tally(), std::make_tuple(1, 1, 1));
}

TEST_F(EvalTest, OnlyStatesMergeTheStateChartIntoTheClass)
{
    // Members that saw only exit events stay Executed; the untouched state
    // chart (Passed) must not turn a class of transitions or contracts into a
    // passed one.
    tree.openOtsFile(0, "s");
    TestNode* withTransition = add(ElementKind::Class, 2, "T", 1);
    add(ElementKind::Transition, 3, "t", 2);
    TestNode* withContract = add(ElementKind::Class, 4, "M", 1);
    add(ElementKind::MethodContract, 5, "m", 4);
    add(ElementKind::PreCondition, 6, "pre", 5);
    TestNode* withState = add(ElementKind::Class, 7, "S", 1);
    add(ElementKind::State, 8, "s", 7);
    markHit(tree.findNode(0, 3), TraceEvent::IllegalExit);
    markHit(tree.findNode(0, 4), TraceEvent::Hit); // the class itself reached
    markHit(tree.findNode(0, 6), TraceEvent::MultipleExit);
    markHit(tree.findNode(0, 8), TraceEvent::Hit);
    evaluateTree(tree);
    EXPECT_EQ(withTransition->classCounters()->transitionStatus, NodeStatus::Executed);
    EXPECT_EQ(withTransition->classCounters()->stateChartStatus, NodeStatus::Passed);
    EXPECT_EQ(withTransition->status, NodeStatus::Executed);
    EXPECT_EQ(withContract->classCounters()->contractStatus, NodeStatus::Executed);
    EXPECT_EQ(withContract->classCounters()->stateChartStatus, NodeStatus::Passed);
    EXPECT_EQ(withContract->status, NodeStatus::Executed);
    // A state merges its group and the chart, as before.
    EXPECT_EQ(withState->status, NodeStatus::Passed);
    // Only the state group counts: the Executed groups add nothing.
    EXPECT_EQ(tally(), std::make_tuple(1, 0, 0));
}

TEST_F(EvalTest, MembersOfAClassUnderATestCase)
{
    tree.openOtsFile(0, "s");
    TestNode* tc = add(ElementKind::TestCase, 2, "Case", 1);
    TestNode* cls = add(ElementKind::Class, 3, "C", 2);
    add(ElementKind::State, 4, "S", 3);
    markHit(tree.findNode(0, 4), TraceEvent::PassVerdict);
    evaluateTree(tree);
    EXPECT_EQ(cls->classCounters()->states, 1);
    EXPECT_EQ(cls->classCounters()->stateStatus, NodeStatus::Passed);
    EXPECT_EQ(cls->status, NodeStatus::Passed);
    EXPECT_EQ(tc->status, NodeStatus::Passed);
    EXPECT_EQ(tally(), std::make_tuple(2, 0, 0)); // test case and state group
}

} // namespace
