#include "xrdtool/history/run_removal.h"

#include "xrdtool/history/failure_rows.h"
#include "xrdtool/history/series.h"
#include "xrdtool/history/spans.h"

#include <algorithm>
#include <string>
#include <vector>

namespace xrdtool::history {

namespace {

/// The spans of one result around the removed run, rewritten without it.
void rewrite(SpanEdits& edits, std::int64_t result, const std::vector<Span>& old, std::int64_t previous,
             std::int64_t removed, std::int64_t next)
{
    std::vector<Span> now;
    for (Span span : old) {
        if (span.first == removed && (span.last == removed || (span.last == OpenEnd && next == NoOrd)))
            continue; // the removed run alone
        if (span.first == removed)
            span.first = next;
        if (span.last == removed)
            span.last = previous;
        if (!now.empty() && now.back().status == span.status && now.back().last == previous &&
            span.first == next)
            now.back().last = span.last; // neighbours again: one span
        else
            now.push_back(span);
    }
    bool same = now.size() == old.size();
    for (std::size_t i = 0; same && i < now.size(); ++i)
        same = now[i].first == old[i].first && now[i].last == old[i].last;
    if (same)
        return;
    for (const Span& span : old)
        edits.remove(result, span.first);
    for (const Span& span : now)
        edits.insert(result, span.first, span.last, span.status);
}

} // namespace

Result<void> removeRun(Statements& statements, std::int64_t series, std::int64_t ord)
{
    const Result<std::int64_t> before = neighbourOrd(statements, series, ord, false);
    if (!before)
        return before.error();
    const Result<std::int64_t> after = neighbourOrd(statements, series, ord, true);
    if (!after)
        return after.error();
    const std::int64_t previous = *before;
    const std::int64_t next = *after;

    // Failure rows of the removed run first, while its spans still tell
    // which later runs failed.
    std::vector<FailureRow> rows;
    Statement& at = statements.get(Sql::FailuresAt);
    at.bind(0, series);
    at.bind(1, ord);
    Step step;
    while ((step = at.step()) == Step::Row)
        rows.push_back(failureFrom(at, 0));
    if (step != Step::Done)
        return statements.error();
    for (const FailureRow& row : rows) {
        Statement& remove = statements.get(Sql::DeleteFailure);
        remove.bind(0, row.result);
        remove.bind(1, ord);
        if (Result<void> removed = statements.run(remove); !removed)
            return removed;
        if (next != NoOrd) {
            if (Result<void> handed = handDown(statements, row, next); !handed)
                return handed;
        }
    }

    SpanEdits edits(statements);
    Statement& around = statements.get(Sql::SpansAround);
    around.bind(0, series);
    around.bind(1, next == NoOrd ? ord : next);
    around.bind(2, previous == NoOrd ? ord : previous);
    std::vector<std::pair<std::int64_t, Span>> spans;
    while ((step = around.step()) == Step::Row)
        spans.emplace_back(around.integer(0), spanFrom(around, 1));
    if (step != Step::Done)
        return statements.error();
    for (std::size_t i = 0; i < spans.size();) {
        std::size_t end = i;
        std::vector<Span> own;
        for (; end < spans.size() && spans[end].first == spans[i].first; ++end)
            own.push_back(spans[end].second);
        rewrite(edits, spans[i].first, own, previous, ord, next);
        i = end;
    }
    if (Result<void> edited = edits.status(); !edited)
        return edited;
    Statement& remove = statements.get(Sql::DeleteRun);
    remove.bind(0, series);
    remove.bind(1, ord);
    return statements.run(remove);
}

Result<std::int64_t> pruneRuns(Statements& statements, std::int64_t series, std::int64_t keep)
{
    Statement& count = statements.get(Sql::SeriesRunCount);
    count.bind(0, series);
    if (count.step() != Step::Row)
        return statements.error();
    const std::int64_t runs = count.integer(0);
    count.reset();
    if (runs <= keep)
        return std::int64_t(0);
    Statement& oldest = statements.get(Sql::LastRunsFrom);
    oldest.bind(0, series);
    oldest.bind(1, keep - 1);
    if (oldest.step() != Step::Row)
        return statements.error();
    const std::int64_t cut = oldest.integer(0);
    oldest.reset();

    // The newest failure row before the cut of each result is what its
    // later failed runs inherit: it moves to the first of them.
    std::vector<FailureRow> inherited;
    Statement& before = statements.get(Sql::FailuresBefore);
    before.bind(0, series);
    before.bind(1, cut);
    Step step;
    while ((step = before.step()) == Step::Row) {
        if (inherited.empty() || inherited.back().result != before.integer(0))
            inherited.push_back(failureFrom(before, 0));
    }
    if (step != Step::Done)
        return statements.error();
    for (const FailureRow& row : inherited) {
        if (Result<void> handed = handDown(statements, row, cut); !handed)
            return handed.error();
    }
    for (Sql sql : {Sql::PruneFailuresBefore, Sql::PruneSpansBefore}) {
        Statement& prune = statements.get(sql);
        prune.bind(0, cut);
        prune.bind(1, series);
        if (Result<void> pruned = statements.run(prune); !pruned)
            return pruned.error();
    }
    Statement& starts = statements.get(Sql::PruneSpanStarts);
    starts.bind(0, cut);
    starts.bind(1, cut);
    starts.bind(2, series);
    if (Result<void> moved = statements.run(starts); !moved)
        return moved.error();
    Statement& results = statements.get(Sql::PruneResults);
    results.bind(0, series);
    if (Result<void> pruned = statements.run(results); !pruned)
        return pruned.error();
    Statement& paths = statements.get(Sql::PrunePaths);
    paths.bind(0, series);
    paths.bind(1, series);
    if (Result<void> pruned = statements.run(paths); !pruned)
        return pruned.error();
    Statement& drop = statements.get(Sql::PruneRuns);
    drop.bind(0, series);
    drop.bind(1, cut);
    if (Result<void> dropped = statements.run(drop); !dropped)
        return dropped.error();
    return runs - keep;
}

} // namespace xrdtool::history
