// Record and text storage of the tree: texts keep their bytes and addresses
// while many more are stored, across chunk sizes and oversized texts.
#include "model/arena.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace qv {
namespace {

TEST(ByteArena, TextsStayIntactWhileTheArenaGrows)
{
    ByteArena arena;
    std::mt19937 random(11);
    std::vector<std::string> expected;
    std::vector<std::string_view> stored;
    // Enough to fill several 2 MiB chunks, with now and then a text larger
    // than a chunk's quarter (a block of its own) and empty texts.
    for (int i = 0; i < 300000; ++i) {
        size_t length = random() % 40;
        if (i % 50000 == 7)
            length = 3 * 1024 * 1024;
        std::string text(length, '\0');
        for (char& c : text)
            c = char(random()); // NUL bytes included
        stored.push_back(arena.store(text));
        expected.push_back(std::move(text));
    }
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_TRUE(stored[i] == expected[i]) << i;
}

TEST(ByteArena, ConcatMayUseTextsOfTheArena)
{
    ByteArena arena;
    std::string_view name = arena.store("x");
    // A name prefixed again and again, as moved stub children are.
    for (int i = 0; i < 1000; ++i)
        name = arena.concat(arena.store("p / "), name);
    EXPECT_EQ(name.size(), 4001u);
    EXPECT_EQ(name.substr(0, 8), "p / p / ");
    EXPECT_EQ(name.back(), 'x');
    EXPECT_TRUE(arena.concat("", "").empty());

    arena.clear();
    EXPECT_EQ(arena.store("again"), "again"); // usable after clear
}

TEST(HugeBlocks, AlignedWritableAndDistinct)
{
    // Taken faster than the maker thread can keep up and slower, so that
    // blocks come both ready-made and made on demand.
    std::vector<void*> blocks;
    for (int i = 0; i < 12; ++i) {
        void* block = detail::allocateHugeBlock();
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % HugeBlockBytes, 0u);
        std::memset(block, i, HugeBlockBytes);
        blocks.push_back(block);
        if (i % 3 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (size_t i = 0; i < blocks.size(); ++i) {
        const auto* bytes = static_cast<const unsigned char*>(blocks[i]);
        ASSERT_EQ(bytes[0], i);
        ASSERT_EQ(bytes[HugeBlockBytes - 1], i);
        std::free(blocks[i]);
    }
}

TEST(Arena, RecordsKeepTheirAddresses)
{
    Arena<std::string> arena;
    std::vector<std::string*> records;
    for (int i = 0; i < 200000; ++i) {
        std::string& s = arena.emplace_back();
        s = std::to_string(i) + std::string(20, 'x'); // heap-held: destructors must run
        records.push_back(&s);
    }
    EXPECT_EQ(arena.size(), 200000u);
    for (int i = 0; i < 200000; i += 997)
        ASSERT_EQ(*records[size_t(i)], std::to_string(i) + std::string(20, 'x'));
    arena.clear();
    EXPECT_EQ(arena.size(), 0u);
    EXPECT_TRUE(arena.emplace_back().empty());
}

} // namespace
} // namespace qv
