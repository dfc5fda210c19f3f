#pragma once
// The results of one or two reports in compact form for `xrdtool diff`: every
// name is stored once, every entry path is one node of a shared tree, and a
// result is a small fixed-size record. Memory grows with the number of results
// and the bytes of the distinct names only.

#include "xrd/report.h"
#include "xrdtool/totals.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xrdtool {

/// Distinct byte strings, each stored once, numbered from 0.
class NameTable {
public:
    NameTable();
    /// The number of `text`, added when new.
    std::uint32_t intern(const std::string& text);
    /// The text of a number.
    std::string text(std::uint32_t id) const;
    std::size_t size() const { return ends_.size(); }
    /// Bytes held, for the memory budget.
    std::size_t bytes() const;

private:
    bool equal(std::uint32_t id, const std::string& text) const;
    void grow();

    std::string arena_;
    std::vector<std::uint64_t> ends_;  // end offset of each text in the arena
    std::vector<std::uint32_t> slots_; // open addressing; 0 = empty, else id + 1
};

/// Entry paths as a tree of (parent, name) nodes; node 0 is the empty path.
class PathTable {
public:
    PathTable();
    /// The node of `parent` followed by the name `name`, added when new.
    std::uint32_t child(std::uint32_t parent, std::uint32_t name);
    /// The names from the top down to `node`.
    std::vector<std::uint32_t> names(std::uint32_t node) const;
    /// Number of nodes, the empty path included.
    std::size_t size() const { return nodes_.size(); }
    /// The parent and the name of a node other than 0.
    std::uint32_t parentOf(std::uint32_t node) const { return std::uint32_t(nodes_[node] >> 32); }
    std::uint32_t nameOf(std::uint32_t node) const { return std::uint32_t(nodes_[node] & 0xFFFFFFFFu); }
    std::size_t bytes() const;

private:
    void grow();

    std::vector<std::uint64_t> nodes_;  // parent << 32 | name
    std::vector<std::uint32_t> slots_;
};

/// One result of one report.
struct ResultRecord {
    std::uint32_t path = 0;  // PathTable node: driver, enclosing entries, name
    std::uint32_t type = 0;  // NameTable id of the type as written
    std::uint32_t file = 0;  // NameTable id of the location's path
    std::int32_t line = -1;  // -1: no location
    std::uint32_t occurrence = 0;  // k: the k-th result with this path and type
    xrd::ResultStatus status = xrd::ResultStatus::Inconclusive;
};

/// The results of one report in document order, with its totals.
struct ReportResults {
    std::vector<ResultRecord> results;
    Totals totals;
    xrd::Summary summary;
};

/// Reads a report into `out`, sharing the name and path tables.
xrd::ReadResult readResults(const std::string& path, NameTable& names, PathTable& paths, ReportResults& out);

/// Moves results read with their own tables into `names` and `paths`, so that
/// two reports read side by side can be compared by number.
void remapResults(const NameTable& fromNames, const PathTable& fromPaths, NameTable& names, PathTable& paths,
                  std::vector<ResultRecord>& results);

/// Numbers the results that share a path and a type 0, 1, ... in document order.
void numberOccurrences(std::vector<ResultRecord>& results);

} // namespace xrdtool
