// OTS record codes: every code names its fixed kind value, only whole exact
// tokens match, and which kinds declare tree nodes.
#include "readers/recordcodes.h"

#include "model/kindsets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace qv;
using testkinds::holding;

/// Every code with the kind it names.
const struct {
    const char* code;
    int kind;
} Codes[] = {
    {"CB", 1},  {"CE", 2},  {"CH", 3},  {"CK", 4},  {"CL", 5},  {"CM", 6},  {"CO", 7},
    {"CP", 8},  {"CS", 9},  {"CX", 10}, {"CY", 11}, {"EN", 12}, {"EX", 13}, {"NC", 14},
    {"OF", 15}, {"IV", 16}, {"PC", 17}, {"PR", 18}, {"PY", 19}, {"RC", 20}, {"RQ", 21},
    {"RU", 22}, {"SB", 23}, {"SL", 24}, {"ST", 25}, {"TC", 26}, {"TL", 27}, {"TR", 28},
    {"TS", 29}, {"WR", 30}, {"OS", 31}, {"VO", 35}, {"DP", 36},
};

TEST(KindCodes, EveryCodeNamesItsFixedValue)
{
    std::set<int> seen;
    for (const auto& c : Codes) {
        EXPECT_EQ(int(kindFromCode(c.code)), c.kind) << c.code;
        seen.insert(c.kind);
    }
    EXPECT_EQ(seen.size(), 33u);
    EXPECT_EQ(seen.count(32) + seen.count(33) + seen.count(34), 0u);
    EXPECT_EQ(kindFromCode("DP"), ElementKind::TestCompilationTime);
    EXPECT_EQ(kindFromCode("VO"), ElementKind::TestCompilerVersion);
}

TEST(KindCodes, OnlyTheExactWholeTokenMatches)
{
    EXPECT_EQ(kindFromCode("cb"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("Cb"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("C"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode(""), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("CB "), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode(" CB"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("CBX"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("XX"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode(std::string_view("CB\0", 3)), ElementKind::NoKind);
}

TEST(KindCodes, NodeRecordsAreTheElementKinds)
{
    std::set<int> nodeRecords;
    for (int k = 1; k <= 31; ++k)
        nodeRecords.insert(k);
    for (int k : {4, 8, 14, 15, 19, 22})
        nodeRecords.erase(k);
    EXPECT_EQ(holding(isNodeRecord), nodeRecords);
}

} // namespace
