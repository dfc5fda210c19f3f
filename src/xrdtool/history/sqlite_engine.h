#pragma once
// The SQLite engine of the history store: one file, rollback journal (so that
// the file alone holds everything once a command ends), a 60-second wait for
// the write lock another process holds.

#include "xrdtool/history/engine.h"

#include <memory>
#include <string>

namespace xrdtool::history {

/// How a store is opened.
enum class OpenMode {
    /// Reading commands: an absent store is not created.
    Read,
    /// add and import: the store is created when absent.
    Write,
    /// prune: must exist, is written.
    WriteExisting,
};

/// Milliseconds a command waits for another process's lock before giving up.
constexpr int LockWaitMilliseconds = 60 * 1000;

/// Opens the SQLite store at `path`: its connection; null when there is no
/// file and `mode` does not create one; or why it cannot be opened.
Result<std::unique_ptr<Connection>> openSqlite(const std::string& path, OpenMode mode);

} // namespace xrdtool::history
