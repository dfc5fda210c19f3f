#pragma once
// How a result is shown by the commands: its name, its location, its failed
// rows, and the order results are listed in.

#include "xrd/report.h"
#include "xrdtool/path_map.h"

#include <string>
#include <vector>

namespace xrdtool {

/// The name to show: the name as written, or "(unnamed)" for the empty name.
std::string displayName(const std::string& name);

/// "PATH:LINE" of a location with the path map applied; empty when there is no
/// location or its path is empty (an OTS file without a source record).
std::string locationText(const std::optional<xrd::Location>& location, const PathMap& map);

/// One row on one line: its cells joined by " | ", preceded by "PATH:LINE: "
/// when a cell links a location.
std::string rowText(const xrd::Row& row, const PathMap& map);

/// The entry's failed rows (in its result and class-member tables), in order.
std::vector<const xrd::Row*> failedRows(const xrd::Entry& entry);

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
