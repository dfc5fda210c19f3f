#include "xrdtool/history/spans.h"

namespace xrdtool::history {

Span spanFrom(const Statement& row, int column)
{
    Span span;
    span.first = row.integer(column);
    span.last = row.isNull(column + 1) ? OpenEnd : row.integer(column + 1);
    span.status = StoredStatus(row.integer(column + 2));
    span.valid = true;
    return span;
}

void bindLast(Statement& statement, int index, std::int64_t last)
{
    if (last == OpenEnd)
        statement.bindNull(index);
    else
        statement.bind(index, last);
}

void SpanEdits::run(Statement& statement)
{
    const Result<void> done = statements_.run(statement);
    if (!done && !failure_)
        failure_ = done.error();
}

void SpanEdits::insert(std::int64_t result, std::int64_t first, std::int64_t last, StoredStatus status)
{
    Statement& statement = statements_.get(Sql::InsertSpan);
    statement.bind(0, result);
    statement.bind(1, first);
    bindLast(statement, 2, last);
    statement.bind(3, std::int64_t(status));
    run(statement);
}

void SpanEdits::setLast(std::int64_t result, std::int64_t first, std::int64_t last)
{
    Statement& statement = statements_.get(Sql::SetSpanLast);
    bindLast(statement, 0, last);
    statement.bind(1, result);
    statement.bind(2, first);
    run(statement);
}

void SpanEdits::setFirst(std::int64_t result, std::int64_t first, std::int64_t to)
{
    Statement& statement = statements_.get(Sql::SetSpanFirst);
    statement.bind(0, to);
    statement.bind(1, result);
    statement.bind(2, first);
    run(statement);
}

void SpanEdits::remove(std::int64_t result, std::int64_t first)
{
    Statement& statement = statements_.get(Sql::DeleteSpan);
    statement.bind(0, result);
    statement.bind(1, first);
    run(statement);
}

} // namespace xrdtool::history
