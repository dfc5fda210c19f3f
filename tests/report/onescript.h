#pragma once
// Fixture of the report tests: one script file 0, out/script.ots, whose
// source is src/script.kts; the tests add its elements and events.

#include "model/evaluation.h"
#include "model/tree.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace qv {

/// A tree with the root of one script file; add() and hit() work on file 0.
class OneScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.initTree();
        tree.openOtsFile(0, "script");
        tree.setSourceFile(0, std::string("src/"), std::string("script.kts"), 1);
    }
    /// Adds an element of file 0 under the parent id.
    void add(ElementKind kind, uint32_t id, const char* name, uint32_t parent, int line)
    {
        tree.addNode(0, kind, id, name, parent, line, 0);
    }
    /// An event on the element of file 0.
    void hit(uint32_t id, TraceEvent event = TraceEvent::Hit) { markHit(tree.findNode(0, id), event); }

    TestTree tree;
};

} // namespace qv
