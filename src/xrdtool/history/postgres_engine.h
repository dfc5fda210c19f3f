#pragma once
// The PostgreSQL engine of the history store: a database named by a libpq
// connection URI, the tables in a schema of their own (xrdtool), UTF-8 only.
// Writers take one advisory lock per database for their transaction, so runs
// added at once by many machines go in one after the other; readers see one
// snapshot. Plain inserts are gathered and sent by COPY when something needs
// their effect, and the ids the store asks back are numbered by the engine
// under that lock, so that adding a large report is not one round trip per row.

#include "xrdtool/history/engine.h"
#include "xrdtool/history/sqlite_engine.h"

#include <memory>
#include <string>

namespace xrdtool::history {

/// The schema the store's tables live in.
constexpr const char* PostgresSchema = "xrdtool";

/// Seconds a connection waits for the server when neither the URI nor
/// PGCONNECT_TIMEOUT says otherwise.
constexpr int ConnectTimeoutSeconds = 10;

/// Connects to the database `uri` names (postgresql://...): its connection, on
/// which the store's tables are in reach whether or not they exist yet; or
/// why it cannot connect (the server's reason, the URI's password masked).
Result<std::unique_ptr<Connection>> openPostgres(const std::string& uri, OpenMode mode);

} // namespace xrdtool::history
