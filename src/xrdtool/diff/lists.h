#pragma once
// The lists of `xrdtool diff`: results of two runs matched by path and type,
// the k-th result with the same path and type in one report matching the k-th
// in the other. The lists are not stored: each is a filter over the records,
// walked when written, so a diff of two large reports holds no list memory.

#include "xrdtool/common/totals.h"
#include "xrdtool/diff/index.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xrdtool {

/// A result's state in one run.
enum class Presence { Passed, Inconclusive, Failed, Absent };

/// "passed", "inconclusive", "failed" or "absent".
const char* presenceWord(Presence presence);

/// One listed result: its record (from NEW, from OLD when removed) and its states.
struct Change {
    const ResultRecord* record = nullptr;
    Presence before = Presence::Absent;
    Presence after = Presence::Absent;
};

/// The lists, in the order they are written.
enum class DiffList { Added, Removed, NewlyFailed, Fixed, NewlyNotExecuted, NewlyPassed };
constexpr std::size_t DiffListCount = 6;

/// Whether a result that went from `before` to `after` belongs to `list`.
bool belongs(DiffList list, Presence before, Presence after);

/// Everything diff reports: the totals of both runs and, for each result of
/// NEW, its match in OLD. Refers to the runs compared, which must outlive it.
class DiffLists {
public:
    /// Matches the results of two runs read into the same tables.
    DiffLists(const ReportResults& before, const ReportResults& after);

    /// OLD's totals.
    Totals before;
    /// NEW's totals.
    Totals after;

    /// Number of results in a list.
    std::size_t count(DiffList list) const { return counts_[std::size_t(list)]; }
    /// True when every list is empty.
    bool empty() const;

    /// Calls visit(const Change&) for each result of `list`: in the document
    /// order of NEW, or of OLD for the removed results.
    template <typename Visit> void each(DiffList list, Visit&& visit) const
    {
        if (list == DiffList::Removed) {
            for (std::size_t i = 0; i < old_.results.size(); ++i) {
                if (!oldMatched_[i])
                    visit(Change{&old_.results[i], presenceOf(old_.results[i]), Presence::Absent});
            }
            return;
        }
        for (std::size_t i = 0; i < new_.results.size(); ++i) {
            const Change change = changeOf(i);
            if (belongs(list, change.before, change.after))
                visit(change);
        }
    }

private:
    static Presence presenceOf(const ResultRecord& record);
    Change changeOf(std::size_t newIndex) const;

    const ReportResults& old_;
    const ReportResults& new_;
    std::vector<std::uint32_t> newToOld_; // match in OLD of each NEW result, or Unmatched
    std::vector<bool> oldMatched_;
    std::size_t counts_[DiffListCount] = {};
};

} // namespace xrdtool
