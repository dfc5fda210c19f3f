// `history add` and `history import`: one report, one transaction.

#include "xrdtool/common/read_report.h"
#include "xrdtool/history/commands.h"
#include "xrdtool/history/digest.h"
#include "xrdtool/history/report_run.h"
#include "xrdtool/history/run_removal.h"
#include "xrdtool/history/run_time.h"
#include "xrdtool/history/store.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace xrdtool::history {

namespace {

/// What adding one report gave: added or skipped, or the failure of the
/// report (import goes on with the others) or of the store (it does not).
struct Added {
    enum class Kind { Yes, Skipped, ReportFailed, StoreFailed } kind = Kind::Yes;
    std::optional<Error> error;
};

Added failed(Added::Kind kind, Error error)
{
    return Added{kind, std::move(error)};
}

/// What add and import give one report.
struct AddRequest {
    std::string report;
    std::string series;
    RunTimeSource time;
    /// --run; empty: the report's hash.
    std::string run;
    std::optional<std::string> revision;
    bool replace = false;
    /// import: a report stored already is skipped, a run id taken is the report's failure.
    bool importing = false;
};

/// Adds one report into the open store in one transaction.
Added addOne(Store& store, const AddRequest& request, const PathMap& pathMap)
{
    const std::string& db = store.connection->name();
    std::string runId = request.run;
    if (request.replace && runId.empty()) {
        // The default id is the report's hash, needed before the old run goes.
        std::string hash, reason;
        if (!sha256File(request.report, hash, reason))
            return failed(Added::Kind::ReportFailed,
                          fileError(request.report, "cannot read (" + reason + ")"));
        runId = defaultRunId(hash);
    }
    Transaction transaction(*store.connection);
    if (Result<void> begun = beginWrite(store, transaction); !begun)
        return failed(Added::Kind::StoreFailed, begun.error());
    Statements& statements = *store.statements;
    const Result<std::int64_t> series = seriesFor(statements, request.series);
    if (!series)
        return failed(Added::Kind::StoreFailed, series.error());
    if (request.replace) {
        Statement& find = statements.get(Sql::FindRunById);
        find.bind(0, *series);
        find.bind(1, runId);
        const Step step = find.step();
        if (step == Step::Failed)
            return failed(Added::Kind::StoreFailed, statements.error());
        if (step == Step::Row) {
            const std::int64_t ord = find.integer(0);
            find.reset();
            if (Result<void> removed = removeRun(statements, *series, ord); !removed)
                return failed(Added::Kind::StoreFailed, removed.error());
        }
    }
    RunWriter writer(statements, *series);
    const ReportRun run = readReportRun(request.report, request.time, pathMap, writer);
    if (const Result<Totals> read = readOutcome(request.report, run.read); !read)
        return failed(Added::Kind::ReportFailed, read.error());
    if (run.placeFailure)
        return failed(Added::Kind::StoreFailed, *run.placeFailure);
    warnIfTotalsDiffer(request.report, run.read);
    StoredRun facts;
    facts.run = runId.empty() ? defaultRunId(run.hash) : runId;
    facts.hash = run.hash;
    facts.headHash = run.headHash;
    facts.revision = request.revision;
    facts.passed = run.read.totals.passed;
    facts.inconclusive = run.read.totals.inconclusive;
    facts.failed = run.read.totals.failed;
    const Result<AddOutcome> outcome = writer.finish(facts, request.importing);
    if (!outcome)
        return failed(Added::Kind::StoreFailed, outcome.error());
    if (*outcome == AddOutcome::RunExists)
        return failed(
            request.importing ? Added::Kind::ReportFailed : Added::Kind::StoreFailed,
            fileError(db, "run " + facts.run + " is already in the series \"" + request.series + "\""));
    if (*outcome == AddOutcome::SameReportStored) {
        std::fprintf(stderr, "xrdtool: %s: the same report is in the series already, skipped.\n",
                     request.report.c_str());
        return Added{Added::Kind::Skipped, std::nullopt};
    }
    if (Result<void> committed = transaction.commit(); !committed)
        return failed(Added::Kind::StoreFailed, committed.error());
    return Added{};
}

/// Attempts at one report when the store reports a conflict with another
/// transaction: writers serialize on a lock, so one retry is already rare.
constexpr int ConflictAttempts = 5;

/// addOne, tried again from its start while the store fails it for a
/// conflict with another transaction (none is surfaced while a retry may succeed).
Added addRetrying(Store& store, const AddRequest& request, const PathMap& pathMap)
{
    for (int attempt = 1;; ++attempt) {
        Added added = addOne(store, request, pathMap);
        if (added.kind != Added::Kind::StoreFailed || attempt == ConflictAttempts ||
            !store.connection->retryable())
            return added;
        usleep(useconds_t(20000 * attempt));
    }
}

/// Import's progress on a terminal: reports done, rate, time left.
class Progress {
public:
    explicit Progress(std::size_t total)
        : total_(total), shown_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now())
    {}
    /// Clears the bar before a message line.
    void clear() const
    {
        if (shown_)
            std::fputs("\r\033[K", stderr);
    }
    /// Shows `done` of the reports done.
    void update(std::size_t done) const
    {
        if (!shown_)
            return;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double rate = seconds > 0 ? double(done) / seconds : 0;
        const long left = rate > 0 ? long(double(total_ - done) / rate + 0.5) : 0;
        constexpr int Width = 30;
        const int filled = total_ ? int(Width * done / total_) : Width;
        std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu reports, %.1f/s, %ld:%02ld left", filled,
                     "==============================", Width - filled, "", done, total_, rate, left / 60,
                     left % 60);
        if (done == total_)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    std::size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace

std::string seriesOf(const Arguments& args)
{
    return args.has("--series") ? args.value("--series") : std::string("default");
}

Result<int> runHistoryAdd(const Arguments& args)
{
    AddRequest request;
    request.report = args.operands().front();
    request.series = seriesOf(args);
    if (args.has("--at")) {
        request.time.at = parseRunTime(args.value("--at"));
        if (!request.time.at)
            return usageError("--at takes YYYY-MM-DDTHH:MM:SS, local or with Z or +HH:MM, from 1970 on");
    }
    request.time.fallback = modificationTime(request.report);
    request.run = args.value("--run");
    if (args.has("--revision"))
        request.revision = args.value("--revision");
    request.replace = args.has("--replace");
    Result<Store> store = openStore(args.value("--db"), OpenMode::Write);
    if (!store)
        return store.error();
    const Added added = addRetrying(*store, request, PathMap(args.values("--path-map")));
    if (added.error)
        return *added.error;
    return ExitOk;
}

Result<int> runHistoryImport(const Arguments& args)
{
    Result<Store> store = openStore(args.value("--db"), OpenMode::Write);
    if (!store)
        return store.error();
    const PathMap pathMap(args.values("--path-map"));
    const std::vector<std::string>& reports = args.operands();
    Progress progress(reports.size());
    bool anyFailed = false;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        AddRequest request;
        request.report = reports[i];
        request.series = seriesOf(args);
        request.time.fallback = modificationTime(reports[i]);
        request.importing = true;
        progress.clear();
        const Added added = addRetrying(*store, request, pathMap);
        if (added.kind == Added::Kind::StoreFailed)
            return *added.error; // the store itself: no other report can go in
        if (added.kind == Added::Kind::ReportFailed) {
            // Named here, and the others go on; the status says so at the end.
            std::fprintf(stderr, "xrdtool: %s: %s.\n", added.error->file.c_str(),
                         added.error->reason.c_str());
            anyFailed = true;
        }
        progress.update(i + 1);
    }
    return anyFailed ? ExitError : ExitOk;
}

} // namespace xrdtool::history
