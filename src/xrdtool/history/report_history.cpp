#include "xrdtool/history/report_history.h"

#include "xrdtool/history/digest.h"
#include "xrdtool/history/run_time.h"

namespace xrdtool::history {

std::optional<HistoryRequest> historyRequest(const Arguments& args)
{
    if (!args.has("--history"))
        return std::nullopt;
    HistoryRequest request;
    request.db = args.value("--history");
    if (args.has("--series"))
        request.series = args.value("--series");
    request.run = args.value("--run");
    return request;
}

Result<std::unique_ptr<ReportHistory>> openHistory(const Arguments& args, const std::string& report,
                                                   bool trend)
{
    const std::optional<HistoryRequest> request = historyRequest(args);
    if (!request)
        return std::unique_ptr<ReportHistory>();
    return ReportHistory::open(*request, report, trend);
}

Result<std::unique_ptr<ReportHistory>> ReportHistory::open(const HistoryRequest& request,
                                                           const std::string& report, bool trend)
{
    Result<std::unique_ptr<StoreReader>> reader = StoreReader::open(request.db);
    if (!reader)
        return reader.error();
    if (!*reader)
        return std::unique_ptr<ReportHistory>();
    const Result<std::optional<std::int64_t>> series = (*reader)->series(request.series);
    if (!series)
        return series.error();
    if (!*series)
        return std::unique_ptr<ReportHistory>();
    std::unique_ptr<ReportHistory> history(new ReportHistory);
    history->reader_ = std::move(*reader);
    history->series_ = **series;
    history->request_ = request;
    history->report_ = report;
    // An unreadable report has no head: the reader says why it cannot be read.
    std::string reason;
    sha256File(report, history->headHash_, reason, HeadBytes);
    if (trend && request.run.empty())
        history->digest_ = std::make_unique<FileSha256>(report);
    return history;
}

void ReportHistory::keep(const Error& error)
{
    if (!failure_)
        failure_ = error;
}

void ReportHistory::infoTable(const xrd::Table& table)
{
    for (const xrd::Row& row : table.rows) {
        if (!reportTime_ && row.cells.size() == 2 && isGenerationTimeLabel(row.cells[0].text))
            reportTime_ = parseReportTime(row.cells[1].text);
    }
}

void ReportHistory::begin()
{
    if (past_ || failure_)
        return;
    ReportKey key;
    key.at = at_ = reportTime_ ? *reportTime_ : modificationTime(report_);
    key.headHash = headHash_;
    key.run = request_.run;
    // Rare: a stored run with the report's head may be this very report.
    key.wholeHash = [this]() {
        std::string reason;
        if (digest_)
            hash_ = digest_->hex();
        else if (!sha256File(report_, hash_, reason))
            hash_.clear();
        return hash_;
    };
    Result<Past> past = Past::load(reader_->statements(), series_, key, tables_);
    if (!past)
        return keep(past.error());
    past_.emplace(std::move(*past));
}

void ReportHistory::entryOpened(const xrd::Entry& entry)
{
    hasJudgement_.push_back(false);
    // The global entry (depth 0) is not part of any path; repeats are
    // numbered in the order results open, as diff numbers them.
    std::uint32_t node = 0;
    if (entry.depth != 0)
        node = tables_.paths.child(nodes_.empty() ? 0 : nodes_.back(), tables_.names.intern(entry.name));
    nodes_.push_back(node);
    if (!entry.counted)
        return;
    const ResultKey key{node, types_.intern(entry.type)};
    const ResultIdentity identity{key, repeats_.next(key)};
    // The past is loaded at the first result: the report's time is known by
    // then (its information tables come before its results).
    begin();
    if (!judging())
        return;
    const Result<std::optional<ResultHistory>> judged =
        past_->judge(identity, StoredStatus(int(entry.status())));
    if (!judged)
        return keep(judged.error());
    if (*judged) {
        judgements_.push_back(std::move(**judged));
        hasJudgement_.back() = true;
    }
}

void ReportHistory::entryClosed(const xrd::Entry&)
{
    nodes_.pop_back();
    if (hasJudgement_.back())
        judgements_.pop_back();
    hasJudgement_.pop_back();
}

const ResultHistory* ReportHistory::judged() const
{
    return hasJudgement_.empty() || !hasJudgement_.back() ? nullptr : &judgements_.back();
}

Result<void> ReportHistory::finish(const xrd::Totals& totals)
{
    begin();
    if (failure_)
        return *failure_;
    if (!judging())
        return Result<void>();
    for (const StoredRun& run : past_->window())
        trend_.push_back(TrendPoint{run.run, run.at, run.passed, run.inconclusive, run.failed});
    std::string run = request_.run;
    if (run.empty())
        run = digest_ ? defaultRunId(digest_->hex()) : std::string(); // no trend asked for: no id
    trend_.push_back(TrendPoint{run, at_, totals.passed, totals.inconclusive, totals.failed});
    absentFlaky_ = past_->absentFlaky();
    return Result<void>();
}

std::vector<std::string> ReportHistory::namesOf(const ResultIdentity& identity) const
{
    std::vector<std::string> names;
    for (const std::uint32_t name : tables_.paths.names(identity.key.path))
        names.push_back(tables_.names.text(name));
    return names;
}

std::string ReportHistory::typeOf(const ResultIdentity& identity) const
{
    return tables_.names.text(identity.key.type);
}

} // namespace xrdtool::history
