// Generated series with known answers: a random matrix of statuses (runs x
// results, absences included) is added in a random time order, runs are
// replaced and pruned, and every answer of the store is compared with the
// one computed directly from the matrix in time order.

#include "xrdtool/common/result_identity.h"
#include "xrdtool/history/past.h"
#include "xrdtool/history/queries.h"
#include "xrdtool/history/run_removal.h"
#include "xrdtool/history/run_writer.h"
#include "xrdtool/history/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace xrdtool::history {
namespace {

using S = StoredStatus;

struct Series {
    std::vector<std::vector<S>> status;         // [run][result]
    std::vector<std::vector<std::string>> note; // failure message per [run][result]
    std::vector<std::string> revision;
};

Series generate(std::mt19937& random, int runs, int results)
{
    Series series;
    std::vector<S> now(std::size_t(results), S::Passed);
    for (int t = 0; t < runs; ++t) {
        std::vector<std::string> notes(static_cast<std::size_t>(results));
        for (int r = 0; r < results; ++r) {
            // A few results flip often, the others now and then.
            const int change = r < 4 ? 60 : 15;
            if (int(random() % 100) < change)
                now[std::size_t(r)] = S(int(random() % 3));
            if (random() % 20 == 0)
                now[std::size_t(r)] = S::Absent;
            else if (now[std::size_t(r)] == S::Absent)
                now[std::size_t(r)] = S::Failed;
            notes[std::size_t(r)] = "check " + std::to_string(r) + (random() % 3 == 0 ? " (again)" : "");
        }
        series.status.push_back(now);
        series.note.push_back(notes);
        series.revision.push_back("rev" + std::to_string(t / 3));
    }
    return series;
}

std::vector<std::string> namesOf(int result)
{
    return {"driver", "case " + std::to_string(result)};
}

/// The identity of result `r` in the writer's tables.
ResultIdentity identityOf(RunWriter& writer, int result)
{
    std::uint32_t node = 0;
    for (const std::string& name : namesOf(result))
        node = writer.paths().child(node, writer.names().intern(name));
    return ResultIdentity{ResultKey{node, writer.names().intern("Test Case")}, 1};
}

class StoreFile {
public:
    StoreFile()
    {
        char name[] = "/tmp/history-series-XXXXXX";
        const int fd = mkstemp(name);
        close(fd);
        path_ = name;
        std::remove(path_.c_str());
        Result<Store> opened = openStore(path_, OpenMode::Write);
        EXPECT_TRUE(opened.ok());
        if (opened)
            store = std::move(*opened);
    }
    ~StoreFile() { std::remove(path_.c_str()); }
    Statements& statements() { return *store.statements; }

    std::int64_t series(const std::string& name = "default")
    {
        Transaction transaction(*store.connection);
        EXPECT_TRUE(beginWrite(store, transaction).ok());
        const Result<std::int64_t> id = seriesFor(statements(), name);
        EXPECT_TRUE(id.ok());
        EXPECT_TRUE(transaction.commit().ok());
        return id ? *id : -1;
    }

    /// Adds run `t` of `series` (its statuses in `row`) at day t.
    void add(const Series& data, int t, std::int64_t id, const std::string& runId)
    {
        Transaction transaction(*store.connection);
        ASSERT_TRUE(beginWrite(store, transaction).ok());
        RunWriter writer(statements(), id);
        ASSERT_TRUE(writer.place(1700000000 + std::int64_t(t) * 86400).ok());
        StoredRun facts;
        facts.run = runId;
        facts.hash = "hash-" + runId;
        facts.headHash = "head-" + std::to_string(t % 3); // heads shared by every third run
        facts.revision = data.revision[std::size_t(t)];
        for (std::size_t r = 0; r < data.status[std::size_t(t)].size(); ++r) {
            const S status = data.status[std::size_t(t)][r];
            if (status == S::Absent)
                continue;
            Observation observation;
            observation.identity = identityOf(writer, int(r));
            observation.status = status;
            observation.message = data.note[std::size_t(t)][r];
            observation.hasLocation = r % 2 == 0;
            observation.file = "tests/x.kts";
            observation.line = std::int64_t(r);
            writer.observe(observation);
            (status == S::Passed ? facts.passed : status == S::Failed ? facts.failed : facts.inconclusive)++;
        }
        const Result<AddOutcome> outcome = writer.finish(facts, false);
        ASSERT_TRUE(outcome.ok() && *outcome == AddOutcome::Added);
        ASSERT_TRUE(transaction.commit().ok());
    }

    Store store;

private:
    std::string path_;
};

std::int64_t flipsIn(const std::vector<S>& statuses)
{
    std::vector<S> decisive;
    for (S s : statuses)
        if (s == S::Passed || s == S::Failed)
            decisive.push_back(s);
    std::int64_t flips = 0;
    for (std::size_t i = 1; i < decisive.size(); ++i)
        flips += decisive[i] != decisive[i - 1];
    return flips;
}

/// Every answer of the store against the matrix's runs [from, runs).
void expectAnswers(StoreFile& file, std::int64_t id, const Series& data, int from)
{
    Statements& statements = file.statements();
    const int runs = int(data.status.size());
    const int results = int(data.status[0].size());
    const Result<std::vector<TrendRow>> trendFound = trend(statements, id, 0);
    ASSERT_TRUE(trendFound.ok());
    const std::vector<TrendRow>& trendRows = *trendFound;
    ASSERT_EQ(trendRows.size(), std::size_t(runs - from));
    for (int t = from; t < runs; ++t) {
        std::int64_t newly = 0, fixed = 0;
        for (int r = 0; r < results && t > from; ++r) {
            const S before = data.status[std::size_t(t - 1)][std::size_t(r)];
            const S now = data.status[std::size_t(t)][std::size_t(r)];
            newly += now == S::Failed && (before == S::Passed || before == S::Inconclusive);
            fixed += before == S::Failed && now == S::Passed;
        }
        EXPECT_EQ(trendRows[std::size_t(t - from)].newlyFailed, newly) << "run " << t;
        EXPECT_EQ(trendRows[std::size_t(t - from)].fixed, fixed) << "run " << t;
        EXPECT_EQ(trendRows[std::size_t(t - from)].run.at, 1700000000 + std::int64_t(t) * 86400);
    }
    for (std::int64_t window : {5, 12, 1000}) {
        for (std::int64_t minFlips : {1, 3}) {
            const Result<FlakyList> found = flaky(statements, id, window, minFlips);
            ASSERT_TRUE(found.ok());
            const FlakyList& list = *found;
            const int first = std::max(from, runs - int(window));
            EXPECT_EQ(list.window, runs - first);
            std::size_t expected = 0;
            for (int r = 0; r < results; ++r) {
                std::vector<S> seen;
                bool sameRevision = false;
                for (int t = first; t < runs; ++t) {
                    seen.push_back(data.status[std::size_t(t)][std::size_t(r)]);
                    for (int u = first; u < runs; ++u)
                        sameRevision = sameRevision ||
                            (data.revision[std::size_t(t)] == data.revision[std::size_t(u)] &&
                             seen.back() == S::Passed &&
                             data.status[std::size_t(u)][std::size_t(r)] == S::Failed);
                }
                const std::int64_t flips = flipsIn(seen);
                if (flips < minFlips && !sameRevision)
                    continue;
                ++expected;
                const auto found =
                    std::find_if(list.results.begin(), list.results.end(), [&](const FlakyResult& f) {
                        return f.name.path.size() == 2 && f.name.path[1] == "case " + std::to_string(r);
                    });
                ASSERT_NE(found, list.results.end()) << "result " << r;
                EXPECT_EQ(found->flips, flips);
                EXPECT_EQ(found->sameRevision, sameRevision);
                EXPECT_EQ(found->passed, std::count(seen.begin(), seen.end(), S::Passed));
                EXPECT_EQ(found->failed, std::count(seen.begin(), seen.end(), S::Failed));
                EXPECT_EQ(found->last, seen.back());
            }
            EXPECT_EQ(list.results.size(), expected);
            EXPECT_TRUE(
                std::is_sorted(list.results.begin(), list.results.end(),
                               [](const FlakyResult& l, const FlakyResult& r) { return l.flips > r.flips; }));
        }
    }
    // The message in force at every failed run is the one observed there.
    const Result<std::vector<StoredRun>> loaded = loadRuns(statements, id);
    ASSERT_TRUE(loaded.ok());
    const std::vector<StoredRun>& stored = *loaded;
    for (int r = 0; r < results; ++r) {
        const Result<std::optional<std::int64_t>> found =
            findResult(statements, id, ResultName{namesOf(r), "Test Case", 1});
        ASSERT_TRUE(found.ok());
        if (!*found)
            continue;
        const std::int64_t result = **found;
        for (int t = from; t < runs; ++t) {
            if (data.status[std::size_t(t)][std::size_t(r)] != S::Failed)
                continue;
            Statement& row = statements.get(Sql::FailureBefore);
            row.bind(0, result);
            row.bind(1, stored[std::size_t(t - from)].ord + 1);
            ASSERT_EQ(row.step(), Step::Row) << "run " << t << " result " << r;
            EXPECT_EQ(row.text(1), data.note[std::size_t(t)][std::size_t(r)])
                << "run " << t << " result " << r;
            EXPECT_EQ(row.isNull(2), r % 2 != 0);
            row.reset();
        }
    }
    // A failed report one hour after run t, judged: the past is runs [from, t],
    // the streak counts back to the newest pass, flips over the last 29 and the report.
    for (int t = from; t < runs; t += 3) {
        IdentityTables tables;
        Result<Past> past = Past::load(
            statements, id,
            ReportKey{1700000000 + std::int64_t(t) * 86400 + 3600, "none", [] { return "none"; }, ""},
            tables);
        ASSERT_TRUE(past.ok());
        const int first = std::max(from, t - 28);
        ASSERT_EQ(past->window().size(), std::size_t(t - first + 1));
        for (int r = 0; r < results; ++r) {
            std::int64_t streak = 1;
            for (int u = t; u >= from && data.status[std::size_t(u)][std::size_t(r)] != S::Passed; --u)
                streak += data.status[std::size_t(u)][std::size_t(r)] == S::Failed;
            std::vector<S> recent;
            for (int u = first; u <= t; ++u)
                recent.push_back(data.status[std::size_t(u)][std::size_t(r)]);
            recent.push_back(S::Failed);
            std::uint32_t node = 0;
            for (const std::string& name : namesOf(r))
                node = tables.paths.child(node, tables.names.intern(name));
            const Result<std::optional<ResultHistory>> judged =
                past->judge(ResultIdentity{ResultKey{node, tables.names.intern("Test Case")}, 1}, S::Failed);
            ASSERT_TRUE(judged.ok() && *judged);
            EXPECT_EQ((*judged)->streak, streak) << "run " << t << " result " << r;
            EXPECT_EQ((*judged)->recent, recent) << "run " << t << " result " << r;
            EXPECT_EQ((*judged)->flips, flipsIn(recent)) << "run " << t << " result " << r;
        }
    }
}

TEST(HistorySeries, AnswersDoNotDependOnTheOrderOfAdding)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 random(seed);
        const Series data = generate(random, 24, 30);
        std::vector<int> order(data.status.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        if (seed > 1) // the first series in time order, the others shuffled
            std::shuffle(order.begin(), order.end(), random);
        StoreFile file;
        const std::int64_t id = file.series();
        for (int t : order)
            file.add(data, t, id, "run" + std::to_string(t));
        SCOPED_TRACE("seed " + std::to_string(seed));
        expectAnswers(file, id, data, 0);
    }
}

TEST(HistorySeries, ReplacedAndPrunedRunsLeaveNoTrace)
{
    for (unsigned seed = 11; seed <= 13; ++seed) {
        std::mt19937 random(seed);
        Series data = generate(random, 20, 24);
        StoreFile file;
        const std::int64_t id = file.series();
        for (int t = 0; t < 20; ++t)
            file.add(data, t, id, "run" + std::to_string(t));
        // Three runs replaced by others at the same time: the series answers
        // as if they had been added so from the start.
        std::mt19937 other(seed * 7);
        const Series replacement = generate(other, 20, 24);
        for (int t : {0, 9, 19}) {
            data.status[std::size_t(t)] = replacement.status[std::size_t(t)];
            data.note[std::size_t(t)] = replacement.note[std::size_t(t)];
            Transaction transaction(*file.store.connection);
            ASSERT_TRUE(beginWrite(file.store, transaction).ok());
            const Result<std::vector<StoredRun>> loaded = loadRuns(file.statements(), id);
            ASSERT_TRUE(loaded.ok());
            const std::vector<StoredRun>& runs = *loaded;
            const auto old = std::find_if(runs.begin(), runs.end(), [&](const StoredRun& run) {
                return run.run == "run" + std::to_string(t);
            });
            ASSERT_NE(old, runs.end());
            ASSERT_TRUE(removeRun(file.statements(), id, old->ord).ok());
            ASSERT_TRUE(transaction.commit().ok());
            file.add(data, t, id, "run" + std::to_string(t));
        }
        SCOPED_TRACE("seed " + std::to_string(seed));
        expectAnswers(file, id, data, 0);
        std::int64_t held = 20;
        for (int keep : {13, 6}) {
            Transaction transaction(*file.store.connection);
            ASSERT_TRUE(beginWrite(file.store, transaction).ok());
            const Result<std::int64_t> removed = pruneRuns(file.statements(), id, keep);
            ASSERT_TRUE(removed.ok());
            EXPECT_EQ(*removed, held - keep);
            held = keep;
            ASSERT_TRUE(transaction.commit().ok());
            expectAnswers(file, id, data, 20 - keep);
        }
    }
}

TEST(HistorySeries, AReportIsJudgedWithoutTheRunsThatAreIt)
{
    // Runs 0..8 at days 0..8, heads "head-0/1/2" in turn. A report at day 9
    // with the head of runs 1, 4, 7 and the bytes of run 4 leaves run 4 out,
    // and, with --run, run 6; the whole hash is asked for once, and not at all
    // when no stored head is the report's.
    std::mt19937 random(3);
    const Series data = generate(random, 9, 3);
    StoreFile file;
    const std::int64_t id = file.series();
    for (int t = 0; t < 9; ++t)
        file.add(data, t, id, "run" + std::to_string(t));
    auto runsOf = [&](const std::string& head, const std::string& whole, const std::string& run, int& asked) {
        IdentityTables tables;
        const ReportKey key{1700000000 + 9 * 86400, head, [&asked, whole] { return ++asked, whole; }, run};
        const Result<Past> past = Past::load(file.statements(), id, key, tables);
        EXPECT_TRUE(past.ok());
        std::vector<std::string> kept;
        for (const StoredRun& stored : past->window())
            kept.push_back(stored.run.substr(3));
        return kept;
    };
    int asked = 0;
    EXPECT_EQ(runsOf("head-1", "hash-run4", "", asked),
              (std::vector<std::string>{"0", "1", "2", "3", "5", "6", "7", "8"}));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(runsOf("head-1", "hash-run4", "run6", asked),
              (std::vector<std::string>{"0", "1", "2", "3", "5", "7", "8"}));
    EXPECT_EQ(runsOf("head-1", "other bytes", "", asked).size(), 9u);
    asked = 0;
    EXPECT_EQ(runsOf("another head", "hash-run4", "", asked).size(), 9u);
    EXPECT_EQ(asked, 0) << "the whole report was hashed with no stored head like its own";
}

} // namespace
} // namespace xrdtool::history
