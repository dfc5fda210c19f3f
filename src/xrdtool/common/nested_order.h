#pragma once
// The order results are listed in: the document's, although a result is
// complete only when it closes, after the results nested in it.

#include "xrd/report.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

namespace xrdtool {

/// Lists results in document order (a result before the results nested in it)
/// although each one is complete only when it closes: each result takes its
/// place in a queue when it opens, and the queue lets out its front while the
/// front is complete. Every item waits once, however deep it is nested, so
/// the cost is the same at any depth.
template <typename Item> class NestedOrder {
public:
    /// Call for every entry opened.
    void opened(const xrd::Entry& entry)
    {
        if (!entry.counted)
            return;
        open_.push_back(first_ + slots_.size());
        slots_.emplace_back();
    }

    /// Call for every entry closed, with the item of a counted entry first in
    /// `items` (empty for others, or for a result without one); returns the
    /// items now due, in order.
    std::vector<Item> closed(const xrd::Entry& entry, std::vector<Item> items)
    {
        std::vector<Item> due;
        closedEach(entry, std::move(items), [&due](Item& item) { due.push_back(std::move(item)); });
        return due;
    }

    /// closed(), handing each item now due to `each(Item&)` in order instead
    /// of gathering them: thousands may fall due at once.
    template <typename Each> void closedEach(const xrd::Entry& entry, std::vector<Item> items, Each each)
    {
        if (!entry.counted || open_.empty()) {
            for (Item& item : items)
                each(item);
            return;
        }
        Slot& slot = slots_[open_.back() - first_];
        open_.pop_back();
        slot.done = true;
        if (!items.empty())
            slot.item.emplace(std::move(items.front()));
        while (!slots_.empty() && slots_.front().done) {
            if (slots_.front().item)
                each(*slots_.front().item);
            slots_.pop_front();
            ++first_;
        }
    }

    /// closed() for the common case, without handing items around: true when
    /// nothing waits before this entry's place, so that its own item (if any)
    /// is due now and the caller lists it directly. False changes nothing:
    /// call closed() then.
    bool closedAlone(const xrd::Entry& entry)
    {
        if (!entry.counted || open_.empty())
            return true;
        if (slots_.size() != 1)
            return false;
        open_.pop_back();
        slots_.pop_front();
        ++first_;
        return true;
    }

    /// True when no result waits.
    bool empty() const { return slots_.empty(); }

private:
    /// The place of one result in document order.
    struct Slot {
        bool done = false;
        std::optional<Item> item;
    };

    std::deque<Slot> slots_;
    /// The number of the first slot (slots before it were let out).
    std::size_t first_ = 0;
    /// The slot numbers of the results open now, outermost first.
    std::vector<std::size_t> open_;
};

} // namespace xrdtool
