// The identifier index: small ids are found by position, all others through
// the buckets, and in every case the node registered first for a pair wins.
#include "model/kinds.h"
#include "model/tree.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace qv {
namespace {

TEST(IdIndex, SparseDenseAndHugeIdsAreAllFound)
{
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "a");
    // Huge ids first, then ids that make the dense table grow past where the
    // first sparse ones lie, in an order that mixes both.
    const uint32_t ids[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 9000, 2, 3, 100000, 8999, 4};
    for (const uint32_t id : ids)
        tree.addNode(0, ElementKind::Comment, id, "n" + std::to_string(id), 1, 1, 0);
    for (uint32_t id = 5; id < 20000; ++id)
        tree.addNode(0, ElementKind::Comment, id == 9000 || id == 8999 ? 0x6FFFFFFFu : id,
                     "n" + std::to_string(id), 1, 1, 0);
    for (const uint32_t id : ids) {
        const TestNode* n = tree.findNode(0, id);
        ASSERT_NE(n, nullptr) << id;
        EXPECT_EQ(n->name(), "n" + std::to_string(id));
    }
    for (uint32_t id = 5; id < 20000; id += 997)
        EXPECT_EQ(tree.findNode(0, id)->id, id);
    EXPECT_EQ(tree.findNode(0, 0x6FFFFFFFu)->name(), "n8999"); // the first of two
    EXPECT_EQ(tree.findNode(0, 20000), nullptr);
    EXPECT_EQ(tree.findNode(0, 0xFFFFFFFEu), nullptr);
    EXPECT_EQ(tree.findNode(1, 2), nullptr);
}

TEST(IdIndex, FirstRegisteredWinsWhereverItLives)
{
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "a");
    // 50000 lies beyond the dense table at first: it goes to the buckets.
    tree.addNode(0, ElementKind::Comment, 50000, "first", 1, 1, 0);
    for (uint32_t id = 2; id < 40000; ++id)
        tree.addNode(0, ElementKind::Comment, id, "c", 1, 1, 0);
    // Now the dense table reaches 50000; a second element with that id must
    // not replace the one in the buckets.
    tree.addNode(0, ElementKind::Comment, 50000, "second", 1, 1, 0);
    tree.addNode(0, ElementKind::Comment, 3, "again", 1, 1, 0);
    EXPECT_EQ(tree.findNode(0, 50000)->name(), "first");
    EXPECT_EQ(tree.findNode(0, 3)->name(), "c");
    // Both duplicates are linked all the same.
    EXPECT_EQ(tree.findNode(0, 1)->lastChild->name(), "again");
    EXPECT_EQ(tree.nodeCount(), size_t(1 + 1 + 39998 + 2));
}

TEST(IdIndex, AnyFileIndexAndRelease)
{
    TestTree tree;
    tree.initTree();
    for (const int file : {-3, 0, 7, 4095, 4096, 100000}) {
        tree.openOtsFile(file, "f");
        tree.addNode(file, ElementKind::TestCase, 2, "tc" + std::to_string(file), 1, 1, 0);
    }
    for (const int file : {-3, 0, 7, 4095, 4096, 100000}) {
        ASSERT_NE(tree.findNode(file, 2), nullptr) << file;
        EXPECT_EQ(tree.findNode(file, 2)->name(), "tc" + std::to_string(file));
        EXPECT_EQ(tree.findNode(file, 1)->kind, ElementKind::TestDriver);
    }
    EXPECT_EQ(tree.findNode(8, 2), nullptr);
    tree.releaseTree();
    EXPECT_EQ(tree.findNode(0, 1), nullptr);
    EXPECT_EQ(tree.findNode(4096, 2), nullptr);
    // The index works again after a release.
    tree.openOtsFile(0, "g");
    tree.addNode(0, ElementKind::TestCase, 2, "new", 1, 1, 0);
    EXPECT_EQ(tree.findNode(0, 2)->name(), "new");
}

TEST(IdIndex, RandomOrderMatchesAPlainMap)
{
    // Ids drawn at random from a dense range and a sparse one, each checked
    // against a map that keeps the first name given to an id.
    std::mt19937 rng(7);
    TestTree tree;
    tree.initTree();
    tree.openOtsFile(0, "a");
    std::map<uint32_t, std::string> expected;
    for (int i = 0; i < 30000; ++i) {
        const uint32_t id = rng() % 3 ? 2 + rng() % 20000 : rng();
        if (id < 2)
            continue;
        const std::string name = "e" + std::to_string(i);
        tree.addNode(0, ElementKind::Comment, id, name, 1, 1, 0);
        expected.emplace(id, name);
    }
    for (const auto& [id, name] : expected) {
        const TestNode* n = tree.findNode(0, id);
        ASSERT_NE(n, nullptr) << id;
        ASSERT_EQ(n->name(), name) << id;
    }
    for (int i = 0; i < 1000; ++i) {
        const uint32_t id = rng();
        if (!expected.count(id) && id != 1) {
            EXPECT_EQ(tree.findNode(0, id), nullptr) << id;
        }
    }
}

} // namespace
} // namespace qv
