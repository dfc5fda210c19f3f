#pragma once
// The history of a report that summary and html are writing, fed by the
// reader's events: the report's time from its generation time row (else its
// file's time), each result's identity as diff numbers it, and what the past
// says of it. The report's whole SHA-256 is computed only when it is needed:
// when a stored run has the same head (it may be this report), or for the
// report's run id in the trend (on a thread of its own). Read-only: the store
// is never written.

#include "xrd/report.h"
#include "xrdtool/common/command_line.h"
#include "xrdtool/history/digest.h"
#include "xrdtool/history/past.h"
#include "xrdtool/history/store.h"

#include <cstdint>

#include <memory>
#include <optional>
#include <string>

#include <vector>

namespace xrdtool::history {

/// One run of the trend a report ends.
struct TrendPoint {
    /// The run's id.
    std::string run;
    /// UTC seconds.
    std::int64_t at = 0;
    /// Its results by status.
    std::int64_t passed = 0;
    std::int64_t inconclusive = 0;
    std::int64_t failed = 0;
};

/// What --history DB [--series NAME] [--run ID] asks of a command.
struct HistoryRequest {
    /// The store (--history).
    std::string db;
    /// The series (--series).
    std::string series = "default";
    /// The report's run id when it was added with --run; empty: its hash's.
    std::string run;
};

/// The request of a command given `--history DB [--series NAME] [--run ID]`;
/// nothing without --history.
std::optional<HistoryRequest> historyRequest(const Arguments& args);

class ReportHistory;

/// What a command given `args` (with --history, else null) judges the report
/// at `report` against: ReportHistory::open, `trend` for html.
Result<std::unique_ptr<ReportHistory>> openHistory(const Arguments& args, const std::string& report,
                                                   bool trend);

/// The history a report is judged against while it is read.
class ReportHistory {
public:
    /// The history of the report at `report`: null when there is nothing to
    /// judge against (no store, a store without tables, a series it does not
    /// hold or that has no runs); an error for a file that is not our store,
    /// a newer one, or one that cannot be read.
    /// `trend`: the trend will be asked for, with the report's run id.
    static Result<std::unique_ptr<ReportHistory>> open(const HistoryRequest& request,
                                                       const std::string& report, bool trend);

    /// The reader's events, in the order it gives them.
    void infoTable(const xrd::Table& table);
    /// An entry opened: its identity, and the judgement of a result.
    void entryOpened(const xrd::Entry& entry);
    /// An entry closed: its judgement is dropped.
    void entryClosed(const xrd::Entry& entry);

    /// What the history says of the innermost open entry: null when it is
    /// no result, when there is nothing to say, or when the report is the
    /// first run of the series.
    const ResultHistory* judged() const;
    /// True when a run of the series is earlier than the report: the report
    /// is judged, and the outputs show it. Known once the first result was
    /// read; after finish() in any case.
    bool judging() const { return past_ && !past_->empty(); }

    /// The end of the report, with its counted totals: the trend of the last
    /// runs (at most JudgeWindow, the report last) and the flaky results the
    /// report does not hold. Done, or why the store could not be read.
    Result<void> finish(const xrd::Totals& totals);
    /// After finish(): the runs of the trend, oldest first, the report last.
    const std::vector<TrendPoint>& trend() const { return trend_; }
    /// After finish(): the flaky results of the past that the report does not hold.
    const std::vector<ResultHistory>& absentFlaky() const { return absentFlaky_; }
    /// The names of a result's path, driver first.
    std::vector<std::string> namesOf(const ResultIdentity& identity) const;
    /// The type of a result as written.
    std::string typeOf(const ResultIdentity& identity) const;

private:
    ReportHistory() = default;
    /// Loads the past once the report's time is known.
    void begin();
    void keep(const Error& error);

    std::unique_ptr<StoreReader> reader_;
    std::int64_t series_ = 0;
    HistoryRequest request_;
    std::string report_;
    /// The SHA-256 of the report's head, and of all of it once known.
    std::string headHash_;
    std::string hash_;
    /// For the trend's run id without --run: the report hashed from the start.
    std::unique_ptr<FileSha256> digest_;
    std::optional<std::int64_t> reportTime_;
    std::int64_t at_ = 0;
    IdentityTables tables_;
    std::optional<Past> past_;
    RepeatCounter repeats_;
    /// Per open entry: its path node, and whether it has a judgement (on the
    /// stack of those of the open entries: few entries have one).
    std::vector<std::uint32_t> nodes_;
    std::vector<bool> hasJudgement_;
    std::vector<ResultHistory> judgements_;
    TypeNames types_{tables_.names};
    std::optional<Error> failure_;
    std::vector<TrendPoint> trend_;
    std::vector<ResultHistory> absentFlaky_;
};

} // namespace xrdtool::history
