#pragma once
// A test tree for the evaluation tests: elements added by id, and the summary
// tally as one comparable value.

#include "model/evaluation.h"
#include "model/kinds.h"
#include "model/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace qv::testeval {

/// Fixture owning an initialised tree.
class EvalFixture : public ::testing::Test {
protected:
    void SetUp() override { tree.initTree(); }

    /// Adds an element to file 0 and returns it.
    TestNode* add(ElementKind kind, uint32_t id, const char* name, uint32_t parent, uint32_t refId = 0,
                  int file = 0)
    {
        tree.addNode(file, kind, id, name, parent, int(id), refId);
        TestNode* n = tree.findNode(file, id);
        EXPECT_NE(n, nullptr);
        return n;
    }

    /// Names of the children of `n`, in order.
    std::vector<std::string> childNames(const TestNode* n)
    {
        std::vector<std::string> names;
        for (const TestNode* c = n->firstChild; c; c = c->nextSibling)
            names.emplace_back(c->name());
        return names;
    }

    /// The summary tally: passed, failed, inconclusive.
    std::tuple<int, int, int> tally()
    {
        const SummaryCounts counts = tallyStatuses(tree);
        return {counts.passed, counts.failed, counts.inconclusive};
    }

    TestTree tree;
};

} // namespace qv::testeval
