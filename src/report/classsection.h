#pragma once
// Class sections: one entry per class under test with its method contracts,
// invariants, states, state-chart violations and transitions.

#include "model/kinds.h"
#include "model/tree.h"
#include "report/xrdwriter.h"

namespace qv {

/// Writes the complete entry of one class.
void writeClassReport(XrdWriter& output, const TestTree& tree, const TestNode& classNode);

} // namespace qv
