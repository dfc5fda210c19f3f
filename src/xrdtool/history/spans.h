#pragma once
// Spans: a result's status over consecutive runs of its series. A span
// [first, last] covers every run whose place in time order (`ord`) lies
// between its ends; an open span (last NULL) reaches to the newest run.
// A result has at most one span covering any run, none where it was absent.

#include "xrdtool/history/statements.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace xrdtool::history {

/// The stored status of a result in a run.
enum class StoredStatus : int { Passed = 0, Inconclusive = 1, Failed = 2, Absent = -1 };

/// The `last` of an open span, in memory.
constexpr std::int64_t OpenEnd = std::numeric_limits<std::int64_t>::max();

/// One span as read.
struct Span {
    std::int64_t first = 0;
    std::int64_t last = OpenEnd;
    StoredStatus status = StoredStatus::Absent;
    /// False for "no span here".
    bool valid = false;

    /// True when the span covers the run at `ord`.
    bool covers(std::int64_t ord) const { return valid && first <= ord && ord <= last; }
};

/// Reads a span from columns (first, last, status) starting at `column`.
Span spanFrom(const Statement& row, int column);

/// The writes to the spans table, each one statement; the first failure is kept.
class SpanEdits {
public:
    explicit SpanEdits(Statements& statements) : statements_(statements) {}
    /// A new span.
    void insert(std::int64_t result, std::int64_t first, std::int64_t last, StoredStatus status);
    /// Moves the end of the span starting at `first`.
    void setLast(std::int64_t result, std::int64_t first, std::int64_t last);
    /// Moves the start of the span starting at `first` to `to`.
    void setFirst(std::int64_t result, std::int64_t first, std::int64_t to);
    /// Removes the span starting at `first`.
    void remove(std::int64_t result, std::int64_t first);
    /// Done, or the first failure.
    Result<void> status() const { return failure_ ? Result<void>(*failure_) : Result<void>(); }

private:
    void run(Statement& statement);

    Statements& statements_;
    std::optional<Error> failure_;
};

/// Binds `last` (NULL for OpenEnd) to parameter `index`.
void bindLast(Statement& statement, int index, std::int64_t last);

} // namespace xrdtool::history
