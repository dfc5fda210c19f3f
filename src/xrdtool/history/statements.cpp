#include "xrdtool/history/statements.h"

namespace xrdtool::history {

namespace {

/// Indexed by Sql. Statuses are stored as 0 passed, 1 inconclusive, 2 failed.
const char* const Texts[] = {
    // PutMeta, GetMeta
    "INSERT INTO meta (key, value) VALUES (?, ?) ON CONFLICT (key) DO UPDATE SET value = excluded.value",
    "SELECT value FROM meta WHERE key = ?",
    // FindSeries, InsertSeries
    "SELECT id FROM series WHERE name = ?",
    "INSERT INTO series (name) VALUES (?) RETURNING id",
    // RunsOfSeries, FindRunById, FindRunByHash
    "SELECT run, ord, at, hash, revision, passed, inconclusive, failed FROM runs WHERE series = ? ORDER BY "
    "ord",
    "SELECT ord FROM runs WHERE series = ? AND run = ?",
    "SELECT run FROM runs WHERE series = ? AND hash = ? ORDER BY ord LIMIT 1",
    // InsertRun, DeleteRun
    "INSERT INTO runs (series, run, ord, at, hash, revision, passed, inconclusive, failed) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
    "DELETE FROM runs WHERE series = ? AND ord = ?",
    // PreviousOrd, NextOrd
    "SELECT MAX(ord) FROM runs WHERE series = ? AND ord < ?",
    "SELECT MIN(ord) FROM runs WHERE series = ? AND ord > ?",
    // ResultsOfSeries, InsertResult, FindResult, ResultById
    "SELECT id, path, type, repeat_no FROM results WHERE series = ? ORDER BY id",
    // SeriesRunCount, LastRunsFrom: the number of runs; the ord of the N-th newest (offset N - 1).
    "SELECT COUNT(*) FROM runs WHERE series = ?",
    "SELECT ord FROM runs WHERE series = ? ORDER BY ord DESC LIMIT 1 OFFSET ?",
    "INSERT INTO results (series, path, type, repeat_no) VALUES (?, ?, ?, ?) RETURNING id",
    "SELECT id FROM results WHERE series = ? AND path = ? AND type = ? AND repeat_no = ?",
    "SELECT path, type, repeat_no FROM results WHERE id = ?",
    // SpansOverlapping: the spans that reach into [?, ?], of every series (the
    // caller keeps its own: a scan without a join is the cheapest way).
    "SELECT result, first_ord, last_ord, status FROM spans WHERE first_ord <= ? AND (last_ord IS NULL OR "
    "last_ord >= ?)",
    // SpansAround: the same for one series.
    "SELECT s.result, s.first_ord, s.last_ord, s.status FROM spans s JOIN results r ON r.id = s.result "
    "WHERE r.series = ? AND s.first_ord <= ? AND (s.last_ord IS NULL OR s.last_ord >= ?) ORDER BY s.result, "
    "s.first_ord",
    // FailuresAt: the failure rows of a series' run.
    "SELECT f.result, f.message, f.file, f.line FROM failures f JOIN results r ON r.id = f.result "
    "WHERE r.series = ? AND f.ord = ?",
    // SpansOfResult: one result's spans before a place, newest first.
    "SELECT first_ord, last_ord, status FROM spans WHERE result = ? AND first_ord < ? ORDER BY first_ord "
    "DESC",
    // SpansFrom: every span of a series that reaches a place or later, by result.
    "SELECT s.result, s.first_ord, s.last_ord, s.status FROM spans s JOIN results r ON r.id = s.result "
    "WHERE r.series = ? AND (s.last_ord IS NULL OR s.last_ord >= ?) ORDER BY s.result, s.first_ord",
    // InsertSpan, SetSpanLast, SetSpanFirst, DeleteSpan
    "INSERT INTO spans (result, first_ord, last_ord, status) VALUES (?, ?, ?, ?)",
    "UPDATE spans SET last_ord = ? WHERE result = ? AND first_ord = ?",
    "UPDATE spans SET first_ord = ? WHERE result = ? AND first_ord = ?",
    "DELETE FROM spans WHERE result = ? AND first_ord = ?",
    // FailureBefore, FailureAt, InsertFailure, DeleteFailure
    "SELECT ord, message, file, line FROM failures WHERE result = ? AND ord < ? ORDER BY ord DESC LIMIT 1",
    "SELECT message FROM failures WHERE result = ? AND ord = ?",
    "INSERT INTO failures (result, ord, message, file, line) VALUES (?, ?, ?, ?, ?)",
    "DELETE FROM failures WHERE result = ? AND ord = ?",
    // NextFailedSpan: the first failed span of a result that reaches past a place.
    "SELECT first_ord FROM spans WHERE result = ? AND status = 2 AND (last_ord IS NULL OR last_ord > ?) "
    "ORDER BY first_ord LIMIT 1",
    // PruneSpansBefore, PruneSpanStarts
    "DELETE FROM spans WHERE last_ord < ? AND result IN (SELECT id FROM results WHERE series = ?)",
    "UPDATE spans SET first_ord = ? WHERE first_ord < ? AND result IN (SELECT id FROM results WHERE series = "
    "?)",
    // FailuresBefore, PruneFailuresBefore
    "SELECT f.result, f.message, f.file, f.line FROM failures f JOIN results r ON r.id = f.result "
    "WHERE r.series = ? AND f.ord < ? ORDER BY f.result, f.ord DESC",
    "DELETE FROM failures WHERE ord < ? AND result IN (SELECT id FROM results WHERE series = ?)",
    // PruneResults, PruneRuns
    "DELETE FROM results WHERE series = ? AND NOT EXISTS (SELECT 1 FROM spans WHERE spans.result = "
    "results.id)",
    "DELETE FROM runs WHERE series = ? AND ord < ?",
    // FailingResults, SpansOfFailing: the results of a series failed in a run
    // between two places (series, last, first), and their spans up to the
    // later place (series, last, first, last): what a report's judgement
    // needs of the results that can be flaky.
    "SELECT r.id, r.path, r.type, r.repeat_no FROM results r WHERE r.id IN (SELECT f.result FROM spans f "
    "JOIN results fr ON fr.id = f.result WHERE fr.series = ? AND f.status = 2 AND f.first_ord <= ? AND "
    "(f.last_ord IS NULL OR f.last_ord >= ?)) ORDER BY r.id",
    "SELECT s.result, s.first_ord, s.last_ord, s.status FROM spans s WHERE s.result IN (SELECT f.result FROM "
    "spans f JOIN results fr ON fr.id = f.result WHERE fr.series = ? AND f.status = 2 AND f.first_ord <= ? "
    "AND (f.last_ord IS NULL OR f.last_ord >= ?)) AND s.first_ord <= ? ORDER BY s.result, s.first_ord",
};

static_assert(sizeof Texts / sizeof Texts[0] == std::size_t(Sql::Count), "one text per statement");

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
    bool isNull(int) const override { return true; }
};

} // namespace

Statement& Statements::get(Sql sql)
{
    std::unique_ptr<Statement>& slot = prepared_[std::size_t(sql)];
    if (!slot) {
        slot = connection_.prepare(Texts[std::size_t(sql)]);
        if (!slot) {
            static Unprepared unprepared;
            return unprepared;
        }
    }
    slot->reset();
    return *slot;
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
