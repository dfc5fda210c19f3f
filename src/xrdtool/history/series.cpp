#include "xrdtool/history/series.h"

namespace xrdtool::history {

Result<std::optional<std::int64_t>> findSeries(Statements& statements, const std::string& name)
{
    Statement& find = statements.get(Sql::FindSeries);
    find.bind(0, name);
    return statements.single(find);
}

Result<std::int64_t> seriesFor(Statements& statements, const std::string& name)
{
    const Result<std::optional<std::int64_t>> found = findSeries(statements, name);
    if (!found)
        return found.error();
    if (*found)
        return **found;
    Statement& insert = statements.get(Sql::InsertSeries);
    insert.bind(0, name);
    return statements.insert(insert);
}

Result<std::vector<StoredRun>> loadRuns(Statements& statements, std::int64_t series)
{
    std::vector<StoredRun> runs;
    Statement& list = statements.get(Sql::RunsOfSeries);
    list.bind(0, series);
    Step step;
    while ((step = list.step()) == Step::Row) {
        StoredRun run;
        run.run = list.text(0);
        run.ord = list.integer(1);
        run.at = list.integer(2);
        run.hash = list.text(3);
        run.headHash = list.text(4);
        if (!list.isNull(5))
            run.revision = list.text(5);
        run.passed = list.integer(6);
        run.inconclusive = list.integer(7);
        run.failed = list.integer(8);
        runs.push_back(std::move(run));
    }
    if (step != Step::Done)
        return statements.error();
    return runs;
}

Result<std::int64_t> neighbourOrd(Statements& statements, std::int64_t series, std::int64_t ord, bool after)
{
    Statement& query = statements.get(after ? Sql::NextOrd : Sql::PreviousOrd);
    query.bind(0, series);
    query.bind(1, ord);
    if (query.step() != Step::Row)
        return statements.error();
    const std::int64_t neighbour = query.isNull(0) ? NoOrd : query.integer(0);
    query.reset();
    return neighbour;
}

} // namespace xrdtool::history
