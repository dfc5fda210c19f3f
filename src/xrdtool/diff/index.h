#pragma once
// The results of the two reports of `xrdtool diff` in compact form: every name
// is stored once, every entry path is one node of a shared tree, and a result
// is a 16-byte record. Memory grows with the number of results and the bytes
// of the distinct names only, and nothing is ever copied to grow.

#include "xrd/report.h"
#include "xrdtool/common/chunked_array.h"
#include "xrdtool/common/totals.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace xrdtool {

/// Distinct byte strings, each stored once, numbered from 0.
class NameTable {
public:
    /// More names than this do not fit a record's type field; interning one
    /// more raises std::bad_alloc, like any other exhausted memory.
    static constexpr std::uint32_t MaxNames = (1u << 30) - 1;

    NameTable();
    /// The number of `text`, added when new.
    std::uint32_t intern(std::string_view text);
    /// The text of a number.
    std::string_view view(std::uint32_t id) const;
    /// The text of a number, as a string of its own.
    std::string text(std::uint32_t id) const { return std::string(view(id)); }
    /// Number of distinct texts.
    std::size_t size() const { return starts_.size(); }
    /// The bytes of the distinct texts themselves.
    std::size_t textBytes() const { return textBytes_; }
    /// Bytes held, texts included, for the memory budget.
    std::size_t bytes() const;

private:
    std::uint32_t store(std::string_view text);
    void grow();

    // Each text is stored as its length (7 bits a byte, low bits first) and
    // its bytes, in blocks of BlockSize bytes; a longer text has a block of its
    // own that takes the numbers of as many blocks. starts_ holds where each
    // text begins: block number << 16 | offset.
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_; // bytes used in the last block
    std::size_t blockBytes_ = 0;
    ChunkedArray<std::uint32_t> starts_;
    std::vector<std::uint32_t> slots_; // open addressing; 0 = empty, else id + 1
    std::size_t textBytes_ = 0;
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
    /// The NameTable id of a node's last name.
    std::uint32_t nameOf(std::uint32_t node) const { return std::uint32_t(nodes_[node] & 0xFFFFFFFFu); }
    /// Bytes held, for the memory budget.
    std::size_t bytes() const;

private:
    void grow();

    ChunkedArray<std::uint64_t> nodes_; // parent << 32 | name
    std::vector<std::uint32_t> slots_;
};

/// One result of one report.
struct ResultRecord {
    std::uint32_t path = 0; // PathTable node: driver, enclosing entries, name
    std::uint32_t file = 0; // NameTable id of the location's path
    std::int32_t line = -1; // -1: no location
    std::uint32_t typeAndStatus = std::uint32_t(xrd::ResultStatus::Inconclusive);

    /// The NameTable id of the type as written.
    std::uint32_t type() const { return typeAndStatus >> 2; }
    /// The result's status.
    xrd::ResultStatus status() const { return xrd::ResultStatus(typeAndStatus & 3u); }
    /// Sets both; `type` is below NameTable::MaxNames.
    void setTypeAndStatus(std::uint32_t type, xrd::ResultStatus status)
    {
        typeAndStatus = type << 2 | std::uint32_t(status);
    }
};

static_assert(sizeof(ResultRecord) == 16, "a result record is four 32-bit fields");

/// The results of one report in document order, with its totals.
struct ReportResults {
    /// One record per counted entry, in the order the entries open.
    ChunkedArray<ResultRecord> results;
    /// The records' totals.
    Totals totals;
    /// The report's own summary rows.
    xrd::Summary summary;
};

/// The name and path tables of the reports compared. Both reports are read
/// into the same tables, one reader on each thread; `mutex` is held while a
/// reader adds to them. Numbers thus depend on the readers' interleaving, so
/// they are compared for equality only and never decide an output order.
struct SharedTables {
    /// Names, types and location paths.
    NameTable names;
    /// Entry paths.
    PathTable paths;
    /// Held by a reader while it adds to the tables.
    std::mutex mutex;
};

/// The two reports of a diff, read into the same tables.
struct DiffInput {
    /// The tables both reports are read into.
    SharedTables tables;
    /// OLD's results.
    ReportResults before;
    /// NEW's results.
    ReportResults after;
};

/// How reading each of the two reports ended.
struct DiffRead {
    /// How reading OLD ended.
    xrd::ReadResult before;
    /// How reading NEW ended.
    xrd::ReadResult after;
};

/// Reads OLD and NEW side by side, OLD on a thread of its own when one can be
/// started. Exhausted memory on either side raises std::bad_alloc here, once
/// both readers have stopped.
DiffRead readReports(const std::string& oldPath, const std::string& newPath, DiffInput& input);

namespace detail {
/// Reads a report held in memory into `out`, adding to the shared tables, as
/// readReports() reads each file (for the tests and the fuzz target).
xrd::ReadResult readResultsBuffer(const char* data, std::size_t size, SharedTables& tables,
                                  ReportResults& out);
} // namespace detail

} // namespace xrdtool
