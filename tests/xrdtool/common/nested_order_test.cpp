// Results listed in document order although each one is complete only when it
// closes: through closed() alone, and through the shortcut closedAlone() with
// closed() behind it, as the JUnit writer drives it.

#include "xrdtool/common/nested_order.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

/// One entry of a generated tree: its number in document order, whether it is
/// a result, and its children.
struct Node {
    int id = 0;
    bool counted = false;
    std::vector<Node> children;
};

Node randomTree(std::mt19937& random, int& next, int depth)
{
    Node node;
    node.id = next++;
    node.counted = random() % 3 != 0;
    const int children = depth >= 5 ? 0 : int(random() % 4);
    for (int i = 0; i < children; ++i)
        node.children.push_back(randomTree(random, next, depth + 1));
    return node;
}

void countedInDocumentOrder(const Node& node, std::vector<int>& out)
{
    if (node.counted)
        out.push_back(node.id);
    for (const Node& child : node.children)
        countedInDocumentOrder(child, out);
}

/// Walks the tree as the reader does (open, children, close) and collects the
/// items in the order the order object lets them out.
void walk(const Node& node, xrdtool::NestedOrder<int>& order, bool shortcut, std::vector<int>& out)
{
    xrd::Entry entry;
    entry.counted = node.counted;
    order.opened(entry);
    for (const Node& child : node.children)
        walk(child, order, shortcut, out);
    if (shortcut && order.closedAlone(entry)) {
        if (node.counted)
            out.push_back(node.id);
        return;
    }
    std::vector<int> mine;
    if (node.counted)
        mine.push_back(node.id);
    for (int id : order.closed(entry, std::move(mine)))
        out.push_back(id);
}

TEST(NestedOrder, ListsResultsInDocumentOrderWithOrWithoutTheShortcut)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        int next = 0;
        Node root;
        root.id = next++;
        root.counted = false; // the global entry
        const int drivers = 1 + int(random() % 3);
        for (int i = 0; i < drivers; ++i)
            root.children.push_back(randomTree(random, next, 1));
        std::vector<int> expected;
        countedInDocumentOrder(root, expected);
        for (bool shortcut : {false, true}) {
            xrdtool::NestedOrder<int> order;
            std::vector<int> got;
            walk(root, order, shortcut, got);
            EXPECT_EQ(got, expected) << "round " << round << (shortcut ? " with" : " without")
                                     << " the shortcut";
        }
    }
}

TEST(NestedOrder, AResultWithinAResultWaitsForIt)
{
    // A test case under a counted entry closes first, yet is listed after it;
    // the shortcut must refuse it while the enclosing result is open.
    xrdtool::NestedOrder<int> order;
    xrd::Entry outer;
    outer.counted = true;
    xrd::Entry inner;
    inner.counted = true;
    xrd::Entry global;
    order.opened(global);
    order.opened(outer);
    order.opened(inner);
    EXPECT_FALSE(order.closedAlone(inner));
    EXPECT_TRUE(order.closed(inner, {2}).empty());
    EXPECT_FALSE(order.closedAlone(outer)); // its child waits on it
    EXPECT_EQ(order.closed(outer, {1}), (std::vector<int>{1, 2}));
    EXPECT_TRUE(order.closedAlone(global));
}

/// An item that counts how often items are moved.
struct Counted {
    static long moves;
    int id = 0;
    Counted(int id) : id(id) {}
    Counted(Counted&& other) noexcept : id(other.id) { ++moves; }
    Counted& operator=(Counted&& other) noexcept
    {
        id = other.id;
        ++moves;
        return *this;
    }
};
long Counted::moves = 0;

TEST(NestedOrder, ResultsNestedAHundredThousandDeepWaitOnceEach)
{
    // Each item is handed on a fixed number of times, however deep it lies:
    // a report nested deep costs no more per result than a flat one.
    constexpr int Depth = 100000;
    xrdtool::NestedOrder<Counted> order;
    xrd::Entry result;
    result.counted = true;
    for (int i = 0; i < Depth; ++i)
        order.opened(result);
    Counted::moves = 0;
    std::vector<Counted> out;
    for (int i = Depth - 1; i >= 0; --i) {
        std::vector<Counted> mine;
        mine.emplace_back(i);
        for (Counted& item : order.closed(result, std::move(mine)))
            out.push_back(std::move(item));
    }
    ASSERT_EQ(out.size(), std::size_t(Depth));
    for (int i = 0; i < Depth; i += 997)
        EXPECT_EQ(out[std::size_t(i)].id, i);
    EXPECT_LT(Counted::moves, 8L * Depth);
}

} // namespace
