#pragma once
// The statuses of every result on every night of a series, drawn from one
// report: most results keep the report's status and now and then leave it for
// a few nights; a few flip on a fixed pattern; a few fail for a known number of
// nights up to the last one. Deterministic for a seed.

#include "series_scan.h"

#include <cstdint>
#include <vector>

namespace series {

/// What a series is made of.
struct PlanOptions {
    /// Nights in the series, numbered from 1.
    uint32_t nights = 30;
    /// The one seed every draw comes from.
    uint64_t seed = 20250319;
    /// Share of the ordinary results that change status each night (leaving
    /// the report's status or coming back to it).
    double share = 0.01;
    /// Results that flip between passed and failed on a fixed pattern.
    uint32_t flaky = 20;
    /// Results that fail for a known number of nights up to the last night.
    uint32_t failing = 10;
    /// An ordinary result leaves its status at most once in this many nights,
    /// so that within the flaky window it flips at most twice and only the
    /// flaky ones are flaky (unless revisions say otherwise).
    uint32_t calm = 30;
};

/// Why a result has the statuses it has.
enum class Role : uint8_t { Ordinary, Flaky, Failing };

/// What the plan needs to know of one result.
struct ResultTraits {
    Status base = Status::Passed; ///< its status in the report
    bool stub = false;            ///< never inconclusive
    bool fixed = false;           ///< its state cannot be rewritten (no state attribute)
};

/// The statuses of every result on every night.
struct Plan {
    /// Nights, numbered from 1.
    uint32_t nights = 0;
    /// Results per night, in the report's document order.
    uint32_t results = 0;
    /// Night by night: statuses[(night - 1) * results + result].
    std::vector<Status> statuses;
    /// Per result.
    std::vector<Role> roles;
    /// Per result: the period of a flaky one, the failing nights of a failing one.
    std::vector<uint32_t> detail;

    /// The status of `result` on `night` (1-based).
    Status at(uint32_t night, uint32_t result) const
    {
        return statuses[std::size_t(night - 1) * results + result];
    }
    /// The statuses of one night, one per result.
    const Status* night(uint32_t night) const { return statuses.data() + std::size_t(night - 1) * results; }
};

/// Draws the statuses of `options.nights` nights for the results of a report.
Plan makePlan(const std::vector<ResultTraits>& results, const PlanOptions& options);

} // namespace series
