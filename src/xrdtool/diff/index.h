#pragma once
// The results of the two reports of `xrdtool diff` in compact form: a result
// is a 16-byte record of its identity (common/result_identity.h), location
// and status. Memory grows with the number of results and the bytes of the
// distinct names only, and nothing is ever copied to grow.

#include "xrd/report.h"
#include "xrdtool/common/chunked_array.h"
#include "xrdtool/common/path_map.h"
#include "xrdtool/common/result_identity.h"
#include "xrdtool/common/totals.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace xrdtool {

/// One result of one report.
struct ResultRecord {
    std::uint32_t path = 0; // PathTable node: driver, enclosing entries, name
    std::uint32_t file = 0; // NameTable id of the location's path
    std::int32_t line = -1; // -1: no location
    std::uint32_t typeAndStatus = std::uint32_t(xrd::ResultStatus::Inconclusive);

    /// The NameTable id of the type as written.
    std::uint32_t type() const { return typeAndStatus >> 2; }
    /// The result's identity but for its repeat number.
    ResultKey key() const { return ResultKey{path, type()}; }
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
    /// The records' totals (the reader's count).
    Totals totals;
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
/// started, with the location paths of both rewritten by `map`. Exhausted
/// memory on either side raises std::bad_alloc here, once both readers have
/// stopped.
DiffRead readReports(const std::string& oldPath, const std::string& newPath, DiffInput& input,
                     const PathMap& map = PathMap());

namespace detail {
/// Reads a report held in memory into `out`, adding to the shared tables, as
/// readReports() reads each file (for the tests and the fuzz target).
xrd::ReadResult readResultsBuffer(const char* data, std::size_t size, SharedTables& tables,
                                  ReportResults& out);
} // namespace detail

} // namespace xrdtool
