#pragma once
// Result evaluation: counting trace events on elements, deciding every
// element's status after the trace was read, and the summary tally.

#include "model/tree.h"

namespace qv {

/// Event kinds counted from the trace.
enum class TraceEvent : uint8_t { Hit, FailVerdict, PassVerdict, IllegalExit, MultipleExit };

/// The worse of two statuses by Executed < Passed < NotExecuted < Failed;
/// an argument outside the four values yields the other one.
NodeStatus combineStatus(NodeStatus a, NodeStatus b);

/// Counts one event on a node and on the nearest verdict-kind node from it up.
void markHit(TestNode* node, TraceEvent event);

/// The evaluation pass: all stub relinking of all files, then every file's
/// tree children-first with detail::evaluateNode. Runs once.
void evaluateTree(TestTree& tree);

/// The summary counts of an evaluated tree, as the report's summary rows and
/// the header text file's summary block show them.
struct SummaryCounts {
    int passed = 0;
    int failed = 0;
    int inconclusive = 0;
};

/// The passed, failed and inconclusive counts of every file that declares
/// tested elements.
SummaryCounts tallyStatuses(const TestTree& tree);

namespace detail {

// The steps of evaluateTree, open to tests that take them one by one.

/// Moves the children of an element that refers to a stub under that stub,
/// finding out by climbing whether the stub lies beneath the element:
/// the plain form of what evaluateTree does through an index, kept as the
/// reference that tests hold the index to.
void relinkStub(TestTree& tree, TestNode* node);

/// Decides one node's status and merges it into its parent and class.
void evaluateNode(TestNode* node);

} // namespace detail

} // namespace qv
