#include "series_plan.h"

#include "gen_common.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace series {

namespace {

/// Where an ordinary result goes when it leaves its status: mostly between
/// passed and failed (what a history notices), now and then not executed.
Status departure(Status home, bool stub, gen::Rng& rng)
{
    switch (home) {
    case Status::Passed: return !stub && rng.below(4) == 0 ? Status::Inconclusive : Status::Failed;
    case Status::Failed: return !stub && rng.below(5) == 0 ? Status::Inconclusive : Status::Passed;
    case Status::Inconclusive: break;
    }
    return rng.below(10) < 7 ? Status::Passed : Status::Failed;
}

/// A flaky result fails every `period` nights; one in three is also not
/// executed every seventh night, which the flip rule passes over.
struct Flaky {
    uint32_t period;
    uint32_t phase;
    bool gaps;
    Status on(uint32_t night) const
    {
        if (gaps && night % 7 == 0)
            return Status::Inconclusive;
        return (night + phase) % period == 0 ? Status::Failed : Status::Passed;
    }
};

/// A failing result passes until its last `length` nights and fails in them;
/// one in two is not executed once in the middle, which the streak rule
/// passes over.
struct Failing {
    uint32_t first;
    uint32_t gap; ///< a night inside the failing ones that is inconclusive, or 0
    Status on(uint32_t night) const
    {
        if (night < first)
            return Status::Passed;
        return night == gap ? Status::Inconclusive : Status::Failed;
    }
};

} // namespace

Plan makePlan(const std::vector<ResultTraits>& results, const PlanOptions& options)
{
    Plan plan;
    const uint32_t nights = options.nights;
    const uint32_t count = uint32_t(results.size());
    plan.nights = nights;
    plan.results = count;
    plan.statuses.resize(std::size_t(nights) * count);
    plan.roles.assign(count, Role::Ordinary);
    plan.detail.assign(count, 0);
    gen::Rng rng(options.seed);

    // The designated results: the first ones of a shuffled order.
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    for (uint32_t i = count; i > 1; --i)
        std::swap(order[i - 1], order[rng.below(i)]);
    std::vector<std::pair<uint32_t, Flaky>> flaky;
    std::vector<std::pair<uint32_t, Failing>> failing;
    for (const uint32_t r : order) {
        if (results[r].fixed)
            continue;
        if (flaky.size() < options.flaky) {
            const uint32_t j = uint32_t(flaky.size());
            const uint32_t period = 2 + j % 5;
            flaky.emplace_back(r, Flaky{period, rng.below(period), j % 3 == 2 && !results[r].stub});
            plan.roles[r] = Role::Flaky;
            plan.detail[r] = period;
        } else if (failing.size() < options.failing && !results[r].stub) {
            // Lengths spread evenly up to the whole series.
            const uint32_t j = uint32_t(failing.size());
            const uint32_t length =
                std::max(std::min(nights, 2u), uint32_t(uint64_t(j + 1) * nights / options.failing));
            const uint32_t first = nights - length + 1;
            failing.emplace_back(r, Failing{first, j % 2 == 1 && length >= 3 ? first + length / 2 : 0});
            plan.roles[r] = Role::Failing;
            plan.detail[r] = length;
        }
    }

    std::vector<uint32_t> ordinary;
    for (uint32_t r = 0; r < count; ++r) {
        if (plan.roles[r] == Role::Ordinary && !results[r].fixed)
            ordinary.push_back(r);
    }
    const uint32_t target = uint32_t(std::llround(options.share * double(ordinary.size())));
    std::vector<Status> current(count);
    std::vector<int64_t> calmSince(count, -int64_t(options.calm));
    for (uint32_t r = 0; r < count; ++r)
        current[r] = results[r].base;
    std::vector<uint32_t> away, stay;

    for (uint32_t night = 1; night <= nights; ++night) {
        if (night > 1) {
            // Each result away comes back with a chance of one in three (about
            // three nights away); as many others leave as make up the share.
            uint32_t changes = 0;
            stay.clear();
            for (const uint32_t r : away) {
                if (rng.below(3) == 0) {
                    current[r] = results[r].base;
                    calmSince[r] = night;
                    ++changes;
                } else {
                    stay.push_back(r);
                }
            }
            away.swap(stay);
            uint32_t leave = target > changes ? target - changes : 0;
            for (uint64_t tries = uint64_t(leave) * 20 + 100; leave > 0 && tries > 0 && !ordinary.empty();
                 --tries) {
                const uint32_t r = ordinary[rng.below(uint32_t(ordinary.size()))];
                if (current[r] != results[r].base || int64_t(night) - calmSince[r] < int64_t(options.calm))
                    continue;
                current[r] = departure(results[r].base, results[r].stub, rng);
                calmSince[r] = night;
                away.push_back(r);
                --leave;
            }
        }
        Status* row = plan.statuses.data() + std::size_t(night - 1) * count;
        std::copy(current.begin(), current.end(), row);
        for (const auto& [r, pattern] : flaky)
            row[r] = pattern.on(night);
        for (const auto& [r, pattern] : failing)
            row[r] = pattern.on(night);
    }
    return plan;
}

} // namespace series
