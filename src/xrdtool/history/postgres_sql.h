#pragma once
// The PostgreSQL engine's reading of the store's shared SQL: `?` numbered as
// libpq wants ($1, $2...), and the plain inserts it may send in bulk, with the
// rows gathered in COPY's text format (its own escaping: values are never
// pasted into SQL).

#include <cstdint>
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

/// The plain inserts of a transaction not sent yet, per table and column
/// list in the order first seen, as COPY's rows.
class GatheredRows {
public:
    /// What one COPY sends: "TABLE (COLUMNS)" and its rows.
    struct Batch {
        std::string target;
        std::string table;
        CopyRows rows;
    };

    /// Adds a row of `insert`: its `id` first when the engine numbered it,
    /// then the bound values (`nulls` marks SQL NULLs).
    void add(const BulkInsert& insert, std::optional<std::int64_t> id, const std::vector<std::string>& values,
             const std::vector<char>& nulls);
    /// The bytes gathered.
    std::size_t bytes() const { return bytes_; }
    /// True when `sql` names, as a word, a table that has rows here: what it
    /// reads or changes must include them. A statement that names none of
    /// them cannot see the difference, and they keep gathering.
    bool named(std::string_view sql) const;
    /// The batches, in the order their tables were first gathered (a series
    /// before the results that refer to it); none are left.
    std::vector<Batch> take();

private:
    std::vector<Batch> batches_;
    std::size_t bytes_ = 0;
};

/// The first line of a libpq message, without its level's padding or a final
/// full stop (the message line adds its own).
std::string oneLine(const char* message);

} // namespace xrdtool::history
