#include "xrdtool/history/statements.h"

namespace xrdtool::history {

namespace {

/// The text of each statement. Statuses are stored as 0 passed, 1
/// inconclusive, 2 failed; an open span's last_ord is NULL; a path's parent is
/// 0 for a name at the top (a driver, the contracts section).
const std::pair<Sql, const char*> Texts[] = {
    {Sql::PutMeta,
     "INSERT INTO meta (key, value) VALUES (?, ?) ON CONFLICT (key) DO UPDATE SET value = excluded.value"},
    {Sql::GetMeta, "SELECT value FROM meta WHERE key = ?"},
    {Sql::FindSeries, "SELECT id FROM series WHERE name = ?"},
    {Sql::InsertSeries, "INSERT INTO series (name) VALUES (?){returning id}"},
    {Sql::RunsOfSeries,
     "SELECT run, ord, at, hash, head_hash, revision, passed, inconclusive, failed FROM runs "
     "WHERE series = ? ORDER BY ord"},
    {Sql::FindRunById, "SELECT ord FROM runs WHERE series = ? AND run = ?"},
    {Sql::FindRunByHash, "SELECT run FROM runs WHERE series = ? AND hash = ? ORDER BY ord LIMIT 1"},
    {Sql::InsertRun,
     "INSERT INTO runs (series, run, ord, at, hash, head_hash, revision, passed, inconclusive, "
     "failed) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"},
    {Sql::DeleteRun, "DELETE FROM runs WHERE series = ? AND ord = ?"},
    {Sql::PreviousOrd, "SELECT MAX(ord) FROM runs WHERE series = ? AND ord < ?"},
    {Sql::NextOrd, "SELECT MIN(ord) FROM runs WHERE series = ? AND ord > ?"},
    // The number of runs; the ord of the N-th newest (offset N - 1).
    {Sql::SeriesRunCount, "SELECT COUNT(*) FROM runs WHERE series = ?"},
    {Sql::LastRunsFrom, "SELECT ord FROM runs WHERE series = ? ORDER BY ord DESC LIMIT 1 OFFSET ?"},
    // Paths: a tree of names, each node stored once, by parent (so parents
    // before children: the index's order, no sort).
    {Sql::PathsOfSeries, "SELECT id, parent, name FROM paths WHERE series = ? ORDER BY parent"},
    {Sql::FindPath, "SELECT id FROM paths WHERE series = ? AND parent = ? AND name = ?"},
    {Sql::InsertPath, "INSERT INTO paths (series, parent, name) VALUES (?, ?, ?){returning id}"},
    // The names of a path, from the top down.
    {Sql::PathNames,
     "WITH RECURSIVE up (id, parent, name, level) AS (SELECT id, parent, name, 0 FROM paths "
     "WHERE id = ? UNION ALL SELECT p.id, p.parent, p.name, up.level + 1 FROM paths p JOIN up "
     "ON p.id = up.parent) SELECT name FROM up ORDER BY level DESC"},
    {Sql::ResultsOfSeries, "SELECT id, path, type, repeat_no FROM results WHERE series = ?"},
    {Sql::InsertResult,
     "INSERT INTO results (series, path, type, repeat_no) VALUES (?, ?, ?, ?){returning id}"},
    {Sql::FindResult, "SELECT id FROM results WHERE series = ? AND path = ? AND type = ? AND repeat_no = ?"},
    {Sql::ResultById, "SELECT path, type, repeat_no FROM results WHERE id = ?"},
    // The spans that reach into [?, ?], of every series (the caller keeps
    // its own: a scan without a join is the cheapest way).
    {Sql::SpansOverlapping,
     "SELECT result, first_ord, last_ord, status FROM spans WHERE first_ord <= ? AND (last_ord IS NULL OR "
     "last_ord >= ?)"},
    // The same for one series, by result.
    {Sql::SpansAround,
     "SELECT s.result, s.first_ord, s.last_ord, s.status FROM spans s JOIN results r ON r.id "
     "= s.result WHERE r.series = ? AND s.first_ord <= ? AND (s.last_ord IS NULL OR s.last_ord "
     ">= ?) ORDER BY s.result, s.first_ord"},
    // The failure rows of a series' run.
    {Sql::FailuresAt,
     "SELECT f.result, f.message, f.file, f.line FROM failures f JOIN results r ON r.id = "
     "f.result WHERE r.series = ? AND f.ord = ?"},
    // One result's spans before a place, newest first.
    {Sql::SpansOfResult,
     "SELECT first_ord, last_ord, status FROM spans WHERE result = ? AND first_ord < ? ORDER "
     "BY first_ord DESC"},
    // Every span of a series that reaches a place or later, by result.
    {Sql::SpansFrom,
     "SELECT s.result, s.first_ord, s.last_ord, s.status FROM spans s JOIN results r ON r.id = "
     "s.result WHERE r.series = ? AND (s.last_ord IS NULL OR s.last_ord >= ?) ORDER BY s.result, "
     "s.first_ord"},
    {Sql::InsertSpan, "INSERT INTO spans (result, first_ord, last_ord, status) VALUES (?, ?, ?, ?)"},
    {Sql::SetSpanLast, "UPDATE spans SET last_ord = ? WHERE result = ? AND first_ord = ?"},
    {Sql::SetSpanFirst, "UPDATE spans SET first_ord = ? WHERE result = ? AND first_ord = ?"},
    {Sql::DeleteSpan, "DELETE FROM spans WHERE result = ? AND first_ord = ?"},
    {Sql::FailureBefore,
     "SELECT result, message, file, line FROM failures WHERE result = ? AND ord < ? ORDER BY ord DESC LIMIT "
     "1"},
    {Sql::FailureAt, "SELECT message FROM failures WHERE result = ? AND ord = ?"},
    {Sql::InsertFailure, "INSERT INTO failures (result, ord, message, file, line) VALUES (?, ?, ?, ?, ?)"},
    {Sql::DeleteFailure, "DELETE FROM failures WHERE result = ? AND ord = ?"},
    // The first failed span of a result that reaches past a place.
    {Sql::NextFailedSpan,
     "SELECT first_ord FROM spans WHERE result = ? AND status = 2 AND (last_ord IS NULL OR "
     "last_ord > ?) ORDER BY first_ord LIMIT 1"},
    {Sql::PruneSpansBefore,
     "DELETE FROM spans WHERE last_ord < ? AND result IN (SELECT id FROM results WHERE series = ?)"},
    {Sql::PruneSpanStarts,
     "UPDATE spans SET first_ord = ? WHERE first_ord < ? AND result IN (SELECT id FROM "
     "results WHERE series = ?)"},
    {Sql::FailuresBefore,
     "SELECT f.result, f.message, f.file, f.line FROM failures f JOIN results r ON r.id = "
     "f.result WHERE r.series = ? AND f.ord < ? ORDER BY f.result, f.ord DESC"},
    {Sql::PruneFailuresBefore,
     "DELETE FROM failures WHERE ord < ? AND result IN (SELECT id FROM results WHERE series = ?)"},
    {Sql::PruneResults,
     "DELETE FROM results WHERE series = ? AND NOT EXISTS (SELECT 1 FROM spans WHERE "
     "spans.result = results.id)"},
    // The paths no result of the series lies on any more.
    {Sql::PrunePaths,
     "WITH RECURSIVE used (id) AS (SELECT path FROM results WHERE series = ? UNION SELECT "
     "p.parent FROM paths p JOIN used ON p.id = used.id) DELETE FROM paths WHERE series = ? "
     "AND id NOT IN (SELECT id FROM used)"},
    {Sql::PruneRuns, "DELETE FROM runs WHERE series = ? AND ord < ?"},
    // The spans up to a place (series, last, first, last) of the results of
    // a series that failed in a run between two places, with each result's
    // path, type and repeat number: the results whose flakiness a report
    // judged after them can change. The failed spans are found by their
    // index, not by a scan of every span.
    {Sql::SpansOfFailing,
     "SELECT s.result, r.path, r.type, r.repeat_no, s.first_ord, s.last_ord, s.status FROM spans s JOIN "
     "results "
     "r ON r.id = s.result WHERE s.result IN (SELECT f.result FROM spans f JOIN results fr ON fr.id = "
     "f.result "
     "WHERE fr.series = ? AND f.status = 2 AND f.first_ord <= ? AND (f.last_ord IS NULL OR f.last_ord >= ?)) "
     "AND s.first_ord <= ? ORDER BY s.result, s.first_ord"},
};

static_assert(sizeof Texts / sizeof Texts[0] == std::size_t(Sql::Count), "one text per statement");

/// The text of a statement in the connection's dialect: SQLite numbers a
/// new row without RETURNING, which costs it a temporary table per insert.
std::string textOf(Sql sql, Dialect dialect)
{
    for (const auto& [which, text] : Texts) {
        if (which != sql)
            continue;
        std::string out = text;
        const std::string marker = "{returning id}";
        const std::size_t at = out.find(marker);
        if (at != std::string::npos)
            out.replace(at, marker.size(), dialect == Dialect::Sqlite ? "" : " RETURNING id");
        return out;
    }
    return std::string();
}

/// Stands in for a statement that could not be prepared: every step fails.
class Unprepared : public Statement {
public:
    void bind(int, std::int64_t) override {}
    void bind(int, std::string_view) override {}
    void bindNull(int) override {}
    Step step() override { return Step::Failed; }
    void reset() override {}
    std::int64_t integer(int) const override { return 0; }
    std::string text(int) const override { return std::string(); }
    std::string_view textView(int) const override { return std::string_view(); }
    bool isNull(int) const override { return true; }
};

} // namespace

Statement& Statements::get(Sql sql)
{
    std::unique_ptr<Statement>& slot = prepared_[std::size_t(sql)];
    if (!slot) {
        slot = connection_.prepare(textOf(sql, connection_.dialect()));
        if (!slot) {
            static Unprepared unprepared;
            return unprepared;
        }
    }
    slot->reset();
    return *slot;
}

Result<std::optional<std::int64_t>> Statements::single(Statement& statement)
{
    const Step step = statement.step();
    if (step == Step::Failed)
        return error();
    if (step == Step::Done)
        return std::optional<std::int64_t>();
    const std::int64_t value = statement.integer(0);
    statement.reset();
    return std::optional<std::int64_t>(value);
}

Result<std::int64_t> Statements::insert(Statement& statement)
{
    const Step step = statement.step();
    if (step == Step::Failed)
        return error();
    const std::int64_t id = step == Step::Row ? statement.integer(0) : connection_.lastInsertedId();
    statement.reset();
    return id;
}

Result<void> Statements::run(Statement& statement)
{
    Step step;
    while ((step = statement.step()) == Step::Row) {
    }
    if (step != Step::Done)
        return error();
    return Result<void>();
}

bool Statements::meta(const std::string& key, std::string& value)
{
    Statement& get = this->get(Sql::GetMeta);
    get.bind(0, key);
    if (get.step() != Step::Row)
        return false;
    value = get.text(0);
    get.reset();
    return true;
}

} // namespace xrdtool::history
