#pragma once
// The PostgreSQL engine's reading of the store's shared SQL: `?` numbered as
// libpq wants ($1, $2...), and the plain inserts it may send in bulk, with the
// rows gathered in COPY's text format (its own escaping: values are never
// pasted into SQL).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xrdtool::history {

/// `sql` with each `?` outside quotes replaced by $1, $2...; `count` gets how many.
std::string numberedPlaceholders(std::string_view sql, int& count);

/// An insert of one row of bound values into one table, which the engine
/// may gather with others of its kind into one COPY.
struct BulkInsert {
    /// The table and its column list, as the insert names them.
    std::string table;
    std::string columns;
    /// The insert asked for the new row's id (RETURNING id): the engine numbers it.
    bool numbered = false;
};

/// The bulk form of `sql` when it is "INSERT INTO T (COLUMNS) VALUES (?, ...)"
/// with nothing after the values but an optional " RETURNING id"; nothing for
/// any other statement (an upsert, a query, an update).
std::optional<BulkInsert> bulkInsert(std::string_view sql);

/// Rows of one table waiting to be copied in, in COPY's text format.
class CopyRows {
public:
    /// Starts a row.
    void beginRow() { atStart_ = true; }
    /// Adds a value to the row (escaped: backslash, tab, newline, carriage return).
    void value(std::string_view text);
    /// Adds SQL NULL.
    void null();
    /// Ends the row.
    void endRow() { data_ += '\n'; }
    /// The rows so far.
    const std::string& data() const { return data_; }
    /// Forgets the rows.
    void clear() { data_.clear(); }

private:
    void separate();

    std::string data_;
    bool atStart_ = true;
};

} // namespace xrdtool::history
