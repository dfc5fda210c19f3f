#pragma once
// What a store's name on the command line says: which engine holds it (a
// postgresql:// or postgres:// URI is a PostgreSQL database, anything else an
// SQLite file) and how messages may print it. A URI can carry a password
// (user:PASSWORD@ or password=...); no message ever shows it.

#include <string>
#include <vector>

namespace xrdtool::history {

/// True when `where` names a PostgreSQL database (a libpq connection URI).
bool isPostgresUri(const std::string& where);

/// `where` as messages print it: a URI with its password replaced by "***"
/// (user:***@host, password=***), a file path as it is.
std::string maskedName(const std::string& where);

/// The passwords `where` carries, as written and percent-decoded, for
/// scrubbing from messages that might echo them; empty for a file path.
std::vector<std::string> passwordsIn(const std::string& where);

/// `message` with every occurrence of the given passwords replaced by "***".
/// Passwords shorter than three bytes are left: replacing every "a" would
/// garble the message without hiding anything worth hiding.
std::string scrubbed(std::string message, const std::vector<std::string>& passwords);

} // namespace xrdtool::history
