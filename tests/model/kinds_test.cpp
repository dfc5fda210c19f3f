// Element kinds: what evaluation makes of each (the record codes are the
// readers', the display names the report's).
#include "model/kinds.h"

#include "model/kindsets.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace qv;
using testkinds::holding;

TEST(KindPredicates, ExactSets)
{
    EXPECT_EQ(holding(isVerdictKind), (std::set<int>{3, 6, 7, 9, 10, 11, 12, 16, 18, 21, 25, 28, 31}));
    EXPECT_EQ(holding(mustBeReached), (std::set<int>{9, 17, 23, 26}));
}

} // namespace
