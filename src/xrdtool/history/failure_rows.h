#pragma once
// The failures table: a failed result's message and location, written only
// when they differ from the ones in force (the newest row at or before a
// run), and handed on when the run that wrote them goes while later failed
// runs still inherit them.

#include "xrdtool/history/statements.h"

#include <cstdint>
#include <optional>
#include <string>

namespace xrdtool::history {

/// A failure row's values.
struct FailureRow {
    /// The result's id.
    std::int64_t result = 0;
    /// The JUnit message, at most 1 KiB.
    std::string message;
    /// False for a result without a location (file and line are then empty).
    bool hasLocation = false;
    /// The location's path (the path map applied) and line.
    std::string file;
    std::int64_t line = 0;
};

/// Reads a failure row from columns (result, message, file, line) starting at `column`.
FailureRow failureFrom(const Statement& row, int column);

/// The row in force for `result` before the run at `ord`; nothing when none.
Result<std::optional<FailureRow>> failureBefore(Statements& statements, std::int64_t result,
                                                std::int64_t ord);

/// Writes `failure` as the row of the run at `ord`.
Result<void> insertFailure(Statements& statements, const FailureRow& failure, std::int64_t ord);

/// Gives the first failed run of `failure.result` at or after `from` the row
/// `failure` unless it has one of its own: what it inherited stays in force.
Result<void> handDown(Statements& statements, const FailureRow& failure, std::int64_t from);

} // namespace xrdtool::history
