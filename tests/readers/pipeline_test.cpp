// The producer/consumer pipeline of the readers: the same batches in the same
// order alone and on two threads, and an exception of either side reaching
// the caller with the second thread joined (a hang or a terminate is the
// fault these catch).
#include "readers/pipeline.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

namespace qv {
namespace {

struct NumberBatch {
    std::vector<int> numbers;
    bool last = false;
};

/// Produces `batches` batches of three numbers counting up from 0; throws
/// bad_alloc instead of producing batch `failAt` (-1: never).
struct Counter {
    int batches;
    int failAt = -1;
    int made = 0;
    void operator()(NumberBatch& batch)
    {
        if (made == failAt)
            throw std::bad_alloc();
        batch.numbers.clear();
        for (int i = 0; i < 3; ++i)
            batch.numbers.push_back(made * 3 + i);
        ++made;
        batch.last = made == batches;
    }
};

std::vector<int> collect(bool concurrent, Counter counter, int consumeFailAt = -1)
{
    std::vector<int> seen;
    int consumed = 0;
    runPipeline<NumberBatch>(concurrent, counter, [&](const NumberBatch& batch) {
        if (consumed++ == consumeFailAt)
            throw std::bad_alloc();
        seen.insert(seen.end(), batch.numbers.begin(), batch.numbers.end());
    });
    return seen;
}

TEST(Pipeline, SameBatchesInOrderAloneAndConcurrent)
{
    std::vector<int> expected;
    for (int i = 0; i < 60; ++i)
        expected.push_back(i);
    EXPECT_EQ(collect(false, Counter{20}), expected);
    // More batches than the ring holds, so that the producer waits for room.
    EXPECT_EQ(collect(true, Counter{20}), expected);
    EXPECT_EQ(collect(true, Counter{1}), std::vector<int>({0, 1, 2}));
}

TEST(Pipeline, ExceptionsOfEitherSideReachTheCaller)
{
    for (const bool concurrent : {false, true}) {
        // The producer fails after five batches: the caller gets bad_alloc.
        EXPECT_THROW(collect(concurrent, Counter{20, 5}), std::bad_alloc) << concurrent;
        // At once, before any batch.
        EXPECT_THROW(collect(concurrent, Counter{20, 0}), std::bad_alloc) << concurrent;
        // The consumer fails while the producer still has batches to make
        // (and, concurrent, may be waiting for room): no hang, no terminate.
        EXPECT_THROW(collect(concurrent, Counter{50}, 2), std::bad_alloc) << concurrent;
        EXPECT_THROW(collect(concurrent, Counter{50}, 0), std::bad_alloc) << concurrent;
    }
}

} // namespace
} // namespace qv
