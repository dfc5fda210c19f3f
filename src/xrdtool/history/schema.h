#pragma once
// The tables of a history store and their version. docs/history.md describes
// them for people who query the store themselves.

#include "xrdtool/history/engine.h"

#include <string>
#include <vector>

namespace xrdtool::history {

/// The schema version this xrdtool writes. Stores of a lower version are
/// migrated by the writing commands and read as they are by the others; a
/// higher version is refused.
constexpr int SchemaVersion = 1;

/// What a store's tables say.
enum class StoreState {
    /// No table at all: a new database (created by the writing commands).
    Empty,
    /// Our tables, in a version this xrdtool reads.
    Ours,
};

/// One step of the schema from a version to the next: the statements that
/// turn a store of version `from` into one of `from + 1`.
struct Migration {
    int from = 0;
    std::vector<std::string> statements;
};

/// Recognises the store behind `connection`, inside an open transaction: our
/// tables and a version we know. With `write`, an empty database gets the
/// tables and an older version is migrated (both inside the caller's
/// transaction, so all or nothing). Another program's tables, a damaged file
/// and a newer version are errors that say so.
Result<StoreState> recogniseStore(Connection& connection, bool write);

/// Runs the steps of `migrations` from version `from` on, in order, inside the
/// caller's transaction, and records the version reached; an error when a
/// step is missing or fails (the caller's rollback then undoes every step).
Result<void> migrate(Connection& connection, int from, const std::vector<Migration>& migrations, int to);

} // namespace xrdtool::history
