#include "xrdtool/diff/lists.h"

#include <algorithm>

namespace xrdtool {

namespace {

constexpr std::uint32_t Unmatched = ~std::uint32_t(0);

/// The numbers of `records` ordered by identity.
std::vector<std::uint32_t> byKey(const ChunkedArray<ResultRecord>& records)
{
    return identityOrder(records.size(), [&records](std::uint32_t i) { return records[i].key(); });
}

} // namespace

const char* presenceWord(Presence presence)
{
    if (presence == Presence::Absent)
        return "absent";
    return xrd::resultStatusName(presence == Presence::Passed       ? xrd::ResultStatus::Passed
                                     : presence == Presence::Failed ? xrd::ResultStatus::Failed
                                                                    : xrd::ResultStatus::Inconclusive);
}

bool belongs(DiffList list, Presence b, Presence a)
{
    switch (list) {
    case DiffList::Added: return b == Presence::Absent;
    case DiffList::Removed: return a == Presence::Absent;
    case DiffList::NewlyFailed: return a == Presence::Failed && b != Presence::Failed;
    case DiffList::Fixed: return b == Presence::Failed && a == Presence::Passed;
    case DiffList::NewlyNotExecuted:
        return a == Presence::Inconclusive && (b == Presence::Passed || b == Presence::Failed);
    case DiffList::NewlyPassed: return a == Presence::Passed && b == Presence::Inconclusive;
    }
    return false;
}

Presence DiffLists::presenceOf(const ResultRecord& record)
{
    switch (record.status()) {
    case xrd::ResultStatus::Passed: return Presence::Passed;
    case xrd::ResultStatus::Failed: return Presence::Failed;
    case xrd::ResultStatus::Inconclusive: break;
    }
    return Presence::Inconclusive;
}

Change DiffLists::changeOf(std::size_t newIndex) const
{
    const ResultRecord& now = new_.results[newIndex];
    const std::uint32_t old = newToOld_[newIndex];
    return Change{&now, old == Unmatched ? Presence::Absent : presenceOf(old_.results[old]), presenceOf(now)};
}

DiffLists::DiffLists(const ReportResults& beforeRun, const ReportResults& afterRun)
    : before(beforeRun.totals), after(afterRun.totals), old_(beforeRun), new_(afterRun),
      newToOld_(afterRun.results.size(), Unmatched), oldMatched_(beforeRun.results.size(), false)
{
    {
        // Both runs in key order: within a key, the k-th of one run pairs with
        // the k-th of the other.
        const std::vector<std::uint32_t> oldOrder = byKey(old_.results);
        const std::vector<std::uint32_t> newOrder = byKey(new_.results);
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < oldOrder.size() && j < newOrder.size()) {
            const int order = compareKeys(old_.results[oldOrder[i]].key(), new_.results[newOrder[j]].key());
            if (order < 0) {
                ++i;
            } else if (order > 0) {
                ++j;
            } else {
                newToOld_[newOrder[j]] = oldOrder[i];
                oldMatched_[oldOrder[i]] = true;
                ++i;
                ++j;
            }
        }
    }
    for (std::size_t i = 0; i < new_.results.size(); ++i) {
        const Change change = changeOf(i);
        for (std::size_t list = 0; list < DiffListCount; ++list)
            counts_[list] += belongs(DiffList(list), change.before, change.after) ? 1 : 0;
    }
    counts_[std::size_t(DiffList::Removed)] =
        std::size_t(std::count(oldMatched_.begin(), oldMatched_.end(), false));
}

bool DiffLists::empty() const
{
    for (std::size_t list = 0; list < DiffListCount; ++list) {
        if (counts_[list] != 0)
            return false;
    }
    return true;
}

} // namespace xrdtool
