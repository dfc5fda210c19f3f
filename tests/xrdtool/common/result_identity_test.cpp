// The names and paths that identify results across runs, each stored once;
// repeat numbers counted as results stream by.

#include "xrdtool/common/result_identity.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

TEST(Diff, NamesAndPathsAreStoredOnce)
{
    xrdtool::NameTable names;
    xrdtool::PathTable paths;
    std::vector<std::uint32_t> ids;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 5000; ++i) {
            const std::uint32_t id = names.intern("name" + std::to_string(i));
            if (round == 0)
                ids.push_back(id);
            else
                EXPECT_EQ(id, ids[i]);
            EXPECT_EQ(paths.child(paths.child(0, names.intern("d")), id),
                      paths.child(paths.child(0, names.intern("d")), ids[i]));
        }
    }
    EXPECT_EQ(names.size(), 5001u);
    EXPECT_EQ(names.text(ids[1234]), "name1234");
    EXPECT_EQ(names.intern(""), names.intern(""));
    EXPECT_EQ(names.text(names.intern("")), "");
    const std::uint32_t deep = paths.child(paths.child(paths.child(0, 1), 2), 3);
    EXPECT_EQ(paths.names(deep), (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST(Diff, TextsOfEveryLengthComeBackWhole)
{
    // Lengths around the one-byte length prefix (127, 128), texts that end a
    // storage block or would cross one, and texts longer than a block, which
    // get blocks of their own; short ones after them start afresh.
    xrdtool::NameTable names;
    std::vector<std::string> texts;
    std::size_t bytes = 0;
    for (std::size_t length :
         {0, 1, 127, 128, 129, 16383, 16384, 65534, 65535, 65536, 65537, 200000, 3, 70000, 5})
        texts.push_back(std::string(length, char('a' + texts.size())));
    for (int i = 0; i < 3000; ++i)
        texts.push_back(std::string(std::size_t(i % 300), char('A' + i % 26)) + std::to_string(i));
    std::vector<std::uint32_t> ids;
    for (const std::string& text : texts) {
        ids.push_back(names.intern(text));
        bytes += text.size();
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(names.text(ids[i]), texts[i]) << "text " << i << ", " << texts[i].size() << " bytes";
        EXPECT_EQ(names.intern(texts[i]), ids[i]);
    }
    EXPECT_EQ(names.size(), texts.size());
    EXPECT_EQ(names.textBytes(), bytes);
    EXPECT_GE(names.bytes(), bytes);
}

} // namespace

namespace {

TEST(ResultIdentity, RepeatsStreamedAsIdentityOrderNumbersThem)
{
    // A random sequence of keys, some many times: the streamed repeat numbers
    // are the ranks identityOrder gives among equal keys, and the map finds
    // every identity again with the value it was given.
    std::mt19937 random(7);
    std::vector<xrdtool::ResultKey> keys;
    for (int i = 0; i < 20000; ++i)
        keys.push_back(xrdtool::ResultKey{std::uint32_t(random() % 3000), std::uint32_t(random() % 3)});
    xrdtool::RepeatCounter counter;
    std::vector<std::uint32_t> streamed;
    for (const xrdtool::ResultKey& key : keys)
        streamed.push_back(counter.next(key));
    const std::vector<std::uint32_t> order =
        xrdtool::identityOrder(keys.size(), [&keys](std::uint32_t i) { return keys[i]; });
    for (std::size_t k = 0; k < order.size(); ++k) {
        const bool first = k == 0 || xrdtool::compareKeys(keys[order[k - 1]], keys[order[k]]) != 0;
        const std::uint32_t expected = first ? 1 : streamed[order[k - 1]] + 1;
        ASSERT_EQ(streamed[order[k]], expected) << "result " << order[k];
    }
    xrdtool::IdentityMap map;
    for (std::size_t i = 0; i < keys.size(); ++i)
        map[xrdtool::ResultIdentity{keys[i], streamed[i]}] = std::uint32_t(i);
    EXPECT_EQ(map.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(map.find(xrdtool::ResultIdentity{keys[i], streamed[i]}), i);
    EXPECT_EQ(map.find(xrdtool::ResultIdentity{keys[0], 100000}), xrdtool::IdentityMap::Missing);
}

} // namespace
