#pragma once
// The JUnit `message` of a failed result, which the history store keeps too:
// what the first failed row says failed, else "TYPE NAME failed".

#include "xrd/report.h"

#include <string>

namespace xrdtool {

/// What a failed row says failed: its first non-empty cell on one line (a
/// contract's later rows leave the first cell blank).
std::string failedRowMessage(const xrd::Row& row);

/// The message of a failed result without failed rows: "TYPE NAME failed".
std::string failedWithoutRowsMessage(const xrd::Entry& entry);

} // namespace xrdtool
