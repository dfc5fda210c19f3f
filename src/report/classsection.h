#pragma once
// Class sections: one entry per class under test with its method contracts,
// invariants, states, state-chart violations and transitions.

#include "model/kinds.h"
#include "model/tree.h"
#include "report/xrdwriter.h"

namespace qv {

/// Walk context of the member rows.
struct ClassMemberContext {
    XrdWriter* output = nullptr;
    ElementKind memberKind = ElementKind::NoKind;
    const TestTree* tree = nullptr;
};

/// Writes the complete entry of one class.
void writeClassReport(XrdWriter& output, const TestTree& tree, const TestNode& classNode);

/// Writes the row or rows of one member of the context's kind; nothing for other kinds.
void writeClassMemberRow(TestNode* member, const ClassMemberContext& context);

/// Writes the violations sub-section when the class's state chart failed.
void writeStateChartViolations(const TestNode& classNode, XrdWriter& output, const TestTree& tree);

} // namespace qv
