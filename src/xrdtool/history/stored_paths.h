#pragma once
// The paths of a series as the store keeps them, a tree of names (each node
// a row: its parent and its last name), matched with the nodes of a
// PathTable in memory, so that a result is named by the same numbers on both
// sides. A result a thousand levels down costs one row, not a thousand names.

#include "xrdtool/common/result_identity.h"
#include "xrdtool/history/id_index.h"
#include "xrdtool/history/statements.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace xrdtool::history {

/// Where the names and paths of results are kept in memory: a report's and
/// the store's are named in the same tables.
struct IdentityTables {
    NameTable names;
    PathTable paths;
};

/// The stored paths of one series, as far as they were read or stored.
class StoredPaths {
public:
    /// The paths of `series`, named in `tables` (which must outlive this).
    StoredPaths(Statements& statements, std::int64_t series, IdentityTables& tables)
        : statements_(statements), series_(series), tables_(tables)
    {}

    /// Reads every path of the series into the tables.
    Result<void> readAll();
    /// The node of a stored path that read() met; nothing for another.
    std::optional<std::uint32_t> nodeOf(std::int64_t id) const;
    /// The stored id of the path of `node`, its rows written for the names
    /// not stored yet.
    Result<std::int64_t> store(std::uint32_t node);
    /// The stored id of the path of `node` as read(); 0 when it was not read.
    std::int64_t idOf(std::uint32_t node) const { return node < ids_.size() ? ids_[node] : 0; }

private:
    /// The nodes from `node` up to the first whose id is known, `node` first.
    std::vector<std::uint32_t> unknownAbove(std::uint32_t node, std::int64_t& known);

    Statements& statements_;
    std::int64_t series_;
    IdentityTables& tables_;
    /// The node of each stored path read, by its id.
    IdIndex read_;
    /// The stored id of each node: 0 when not known.
    std::vector<std::int64_t> ids_;
};

} // namespace xrdtool::history
