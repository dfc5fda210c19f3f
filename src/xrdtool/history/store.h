#pragma once
// Opening a history store and starting its transactions. openStore is the one
// place the engine is chosen, by the store's name (a postgresql:// URI:
// PostgreSQL; anything else a file path: SQLite); everything after the
// connection is the same for every engine.

#include "xrdtool/history/engine.h"
#include "xrdtool/history/sqlite_engine.h"
#include "xrdtool/history/statements.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace xrdtool::history {

/// An open store: its connection and the statements prepared on it; no
/// connection when the store does not exist and was not to be created.
struct Store {
    std::unique_ptr<Connection> connection;
    std::unique_ptr<Statements> statements;

    /// True when a store was opened.
    bool exists() const { return connection != nullptr; }
};

/// Opens the store named `where` in `mode`.
Result<Store> openStore(const std::string& where, OpenMode mode);

/// Begins the write transaction (waiting for other writers), then recognises
/// the store, creating its tables when it is new and migrating an older
/// version, and checks every page of one that was there before.
Result<void> beginWrite(Store& store, Transaction& transaction);

/// A store read in one transaction: one consistent view, even while another
/// process adds a run.
class StoreReader {
public:
    /// Opens `where` for reading: null when nothing is stored there (no file,
    /// or a database without tables); an error for a file that is not our
    /// store or a newer one.
    static Result<std::unique_ptr<StoreReader>> open(const std::string& where);

    /// The statements of the read transaction.
    Statements& statements() { return *store_.statements; }
    /// The id of the series `name`; nothing when the store holds no such series.
    Result<std::optional<std::int64_t>> series(const std::string& name);

private:
    StoreReader() = default;

    Store store_;
    std::optional<Transaction> transaction_;
};

/// "xrdtool: DB: no history here." for the reading commands.
Error noHistory(const std::string& where);

} // namespace xrdtool::history
