#pragma once
// The order results are listed in: the document's, although a result is
// complete only when it closes, after the results nested in it.

#include "xrd/report.h"

#include <cstddef>
#include <vector>

namespace xrdtool {

/// Lists results in document order (a result before the results nested in it)
/// although each one is complete only when it closes: the items of a result
/// wait until the enclosing results have closed.
template <typename Item> class NestedOrder {
public:
    /// Call for every entry opened.
    void opened(const xrd::Entry& entry)
    {
        pending_.emplace_back();
        if (entry.counted)
            ++openCounted_;
    }

    /// Call for every entry closed, with the item of a counted entry first in
    /// `items` (empty for others); returns the items now due, in order.
    std::vector<Item> closed(const xrd::Entry& entry, std::vector<Item> items)
    {
        if (pending_.empty())
            return items;
        for (Item& item : pending_.back())
            items.push_back(std::move(item));
        pending_.pop_back();
        if (entry.counted && openCounted_ > 0)
            --openCounted_;
        if (openCounted_ > 0 && !pending_.empty()) {
            // An enclosing result is still open: these are listed after it.
            for (Item& item : items)
                pending_.back().push_back(std::move(item));
            return {};
        }
        return items;
    }

    /// closed() for the common case, without handing items around: true when
    /// nothing waits on this entry and no enclosing result is open, so that its
    /// own item (if any) is due now and the caller lists it directly. False
    /// changes nothing: call closed() then.
    bool closedAlone(const xrd::Entry& entry)
    {
        if (pending_.empty())
            return true;
        if (!pending_.back().empty())
            return false;
        const std::size_t openAfter = entry.counted && openCounted_ > 0 ? openCounted_ - 1 : openCounted_;
        if (openAfter > 0 && pending_.size() > 1)
            return false;
        pending_.pop_back();
        openCounted_ = openAfter;
        return true;
    }

private:
    std::vector<std::vector<Item>> pending_;
    std::size_t openCounted_ = 0;
};

} // namespace xrdtool
