#include "xrdtool/history/stored_paths.h"

#include <algorithm>
#include <string>

namespace xrdtool::history {

Result<void> StoredPaths::readAll()
{
    // Parents come before their children: rows come by parent, and a
    // parent's id is below its children's (ids grow as paths are added).
    Statement& rows = statements_.get(Sql::PathsOfSeries);
    rows.bind(0, series_);
    Step step;
    while ((step = rows.step()) == Step::Row) {
        const std::int64_t parent = rows.integer(1);
        const std::optional<std::uint32_t> above =
            parent == 0 ? std::optional<std::uint32_t>(0) : nodeOf(parent);
        if (!above)
            return fileError(statements_.connection().name(),
                             std::string(NotStoreWords) + " (a path's parent is missing)");
        const std::uint32_t node = tables_.paths.child(*above, tables_.names.intern(rows.textView(2)));
        const std::int64_t id = rows.integer(0);
        if (!read_.set(id, node))
            return fileError(statements_.connection().name(),
                             std::string(NotStoreWords) + " (a path id out of range)");
        ids_.resize(tables_.paths.size(), 0);
        ids_[node] = id;
    }
    if (step != Step::Done)
        return statements_.error();
    return Result<void>();
}

std::optional<std::uint32_t> StoredPaths::nodeOf(std::int64_t id) const
{
    return read_.find(id);
}

std::vector<std::uint32_t> StoredPaths::unknownAbove(std::uint32_t node, std::int64_t& known)
{
    // No recursion: a path may be a million names long.
    ids_.resize(tables_.paths.size(), 0);
    std::vector<std::uint32_t> unknown;
    std::uint32_t at = node;
    for (; at != 0 && ids_[at] == 0; at = tables_.paths.parentOf(at))
        unknown.push_back(at);
    known = at == 0 ? 0 : ids_[at];
    return unknown;
}

Result<std::int64_t> StoredPaths::store(std::uint32_t node)
{
    std::int64_t parent = 0;
    const std::vector<std::uint32_t> missing = unknownAbove(node, parent);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        Statement& insert = statements_.get(Sql::InsertPath);
        insert.bind(0, series_);
        insert.bind(1, parent);
        insert.bind(2, tables_.names.view(tables_.paths.nameOf(*it)));
        const Result<std::int64_t> id = statements_.insert(insert);
        if (!id)
            return id.error();
        parent = *id;
        ids_[*it] = parent;
    }
    return parent;
}

} // namespace xrdtool::history
