#include "xrdtool/history/failure_rows.h"

#include <algorithm>

namespace xrdtool::history {

FailureRow failureFrom(const Statement& row, int column)
{
    FailureRow failure;
    failure.result = row.integer(column);
    failure.message = row.text(column + 1);
    failure.hasLocation = !row.isNull(column + 2);
    failure.file = row.text(column + 2);
    failure.line = row.integer(column + 3);
    return failure;
}

Result<std::optional<FailureRow>> failureBefore(Statements& statements, std::int64_t result, std::int64_t ord)
{
    Statement& before = statements.get(Sql::FailureBefore);
    before.bind(0, result);
    before.bind(1, ord);
    const Step step = before.step();
    if (step == Step::Failed)
        return statements.error();
    if (step == Step::Done)
        return std::optional<FailureRow>();
    FailureRow row = failureFrom(before, 0);
    before.reset();
    return std::optional<FailureRow>(std::move(row));
}

Result<void> insertFailure(Statements& statements, const FailureRow& failure, std::int64_t ord)
{
    Statement& insert = statements.get(Sql::InsertFailure);
    insert.bind(0, failure.result);
    insert.bind(1, ord);
    insert.bind(2, failure.message);
    if (failure.hasLocation) {
        insert.bind(3, failure.file);
        insert.bind(4, failure.line);
    } else {
        insert.bindNull(3);
        insert.bindNull(4);
    }
    return statements.run(insert);
}

Result<void> handDown(Statements& statements, const FailureRow& failure, std::int64_t from)
{
    Statement& next = statements.get(Sql::NextFailedSpan);
    next.bind(0, failure.result);
    next.bind(1, from - 1);
    const Result<std::optional<std::int64_t>> failed = statements.single(next);
    if (!failed || !*failed)
        return failed ? Result<void>() : Result<void>(failed.error());
    const std::int64_t target = std::max(**failed, from);
    Statement& own = statements.get(Sql::FailureAt);
    own.bind(0, failure.result);
    own.bind(1, target);
    const Step has = own.step();
    own.reset();
    if (has == Step::Row)
        return Result<void>();
    if (has == Step::Failed)
        return statements.error();
    return insertFailure(statements, failure, target);
}

} // namespace xrdtool::history
