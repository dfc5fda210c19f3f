#include "xrdtool/history/past.h"

#include <algorithm>
#include <map>

namespace xrdtool::history {

std::string noteWords(const ResultHistory& history)
{
    if (history.flaky)
        return "flaky: " + std::to_string(history.flips) + " flips in the last " +
            std::to_string(history.recent.size()) + " runs";
    if (history.streak >= 2)
        return "failing for " + std::to_string(history.streak) + " runs since " + history.since;
    return "new";
}

Result<Past> Past::load(Statements& statements, std::int64_t series, const ReportKey& report,
                        IdentityTables& tables)
{
    Past past(statements, series, tables);
    Result<std::vector<StoredRun>> runs = loadRuns(statements, series);
    if (!runs)
        return runs.error();
    std::optional<std::string> whole; // computed at the first run with the report's head
    for (StoredRun& run : *runs) {
        if (run.at >= report.at || (!report.run.empty() && run.run == report.run))
            continue;
        if (run.headHash == report.headHash) {
            if (!whole)
                whole = report.wholeHash();
            if (run.hash == *whole)
                continue;
        }
        past.ords_.push_back(run.ord);
        past.runs_.push_back(std::move(run));
    }
    past.windowStart_ = past.runs_.size() > JudgeWindow - 1 ? past.runs_.size() - (JudgeWindow - 1) : 0;
    if (Result<void> loaded = past.loadCandidates(); !loaded)
        return loaded.error();
    return past;
}

std::vector<StoredRun> Past::window() const
{
    return std::vector<StoredRun>(runs_.begin() + std::ptrdiff_t(windowStart_), runs_.end());
}

Past::Candidate Past::timeline(std::int64_t id, const std::vector<Span>& spans) const
{
    Candidate candidate;
    candidate.id = id;
    const std::vector<StoredStatus> statuses = statusesAt(spans, ords_);
    candidate.window.assign(statuses.begin() + std::ptrdiff_t(windowStart_), statuses.end());
    for (std::size_t k = statuses.size(); k-- > 0;) {
        if (statuses[k] == StoredStatus::Passed)
            break;
        if (statuses[k] == StoredStatus::Failed) {
            ++candidate.streak;
            candidate.since = runs_[k].run;
        }
    }
    return candidate;
}

ResultHistory Past::history(const ResultIdentity& identity, const Candidate& candidate,
                            StoredStatus status) const
{
    ResultHistory history;
    history.identity = identity;
    history.recent = candidate.window;
    history.recent.push_back(status);
    history.flips = flipsOf(history.recent);
    std::map<std::string, int> seen; // revision: 1 passed, 2 failed
    for (std::size_t k = 0; k < candidate.window.size(); ++k) {
        const std::optional<std::string>& revision = runs_[windowStart_ + k].revision;
        const StoredStatus stored = candidate.window[k];
        if (!revision || (stored != StoredStatus::Passed && stored != StoredStatus::Failed))
            continue;
        int& bits = seen[*revision];
        bits |= stored == StoredStatus::Passed ? 1 : 2;
        history.sameRevision = history.sameRevision || bits == 3;
    }
    history.flaky = history.flips >= DefaultMinFlips || history.sameRevision;
    if (status == StoredStatus::Failed) {
        history.streak = 1 + candidate.streak;
        history.since = candidate.streak > 0 ? candidate.since : std::string();
    }
    return history;
}

Result<void> Past::loadCandidates()
{
    if (runs_.empty())
        return Result<void>();
    Statements& statements = *statements_;
    const std::string& store = statements.connection().name();
    const std::int64_t first = ords_[windowStart_];
    const std::int64_t last = ords_.back();
    // Every path of the series (a scan, cheaper than walking up from the
    // results), so that a path not read was never stored.
    if (Result<void> read = paths_.readAll(); !read)
        return read;
    Statement& spans = statements.get(Sql::SpansOfFailing);
    spans.bind(0, series_);
    spans.bind(1, last);
    spans.bind(2, first);
    spans.bind(3, last);
    std::vector<std::int64_t> ids;
    std::vector<std::vector<Span>> spansOf;
    Step step;
    while ((step = spans.step()) == Step::Row) {
        if (ids.empty() || ids.back() != spans.integer(0)) {
            const std::optional<std::uint32_t> node = paths_.nodeOf(spans.integer(1));
            if (!node)
                return fileError(store, std::string(NotStoreWords) + " (a result's path is missing)");
            const ResultIdentity identity{ResultKey{*node, types_.intern(spans.textView(2))},
                                          std::uint32_t(spans.integer(3))};
            index_[identity] = std::uint32_t(ids.size());
            ids.push_back(spans.integer(0));
            identities_.push_back(identity);
            spansOf.emplace_back();
        }
        spansOf.back().push_back(spanFrom(spans, 4));
    }
    if (step != Step::Done)
        return statements.error();
    for (std::size_t i = 0; i < ids.size(); ++i)
        candidates_.push_back(timeline(ids[i], spansOf[i]));
    return Result<void>();
}

Result<Past::Candidate> Past::lookUp(const ResultIdentity& identity)
{
    Statements& statements = *statements_;
    const std::int64_t path = paths_.idOf(identity.key.path);
    if (path == 0)
        return timeline(0, {}); // never stored: absent from every run
    Statement& find = statements.get(Sql::FindResult);
    find.bind(0, series_);
    find.bind(1, path);
    find.bind(2, tables_->names.view(identity.key.type));
    find.bind(3, std::int64_t(identity.repeat));
    const Result<std::optional<std::int64_t>> found = statements.single(find);
    if (!found)
        return found.error();
    if (!*found)
        return timeline(0, {}); // never stored: absent from every run
    const std::int64_t id = **found;
    Statement& spans = statements.get(Sql::SpansOfResult);
    spans.bind(0, id);
    spans.bind(1, OpenEnd);
    std::vector<Span> own;
    Step step;
    while ((step = spans.step()) == Step::Row)
        own.push_back(spanFrom(spans, 0));
    if (step != Step::Done)
        return statements.error();
    std::reverse(own.begin(), own.end()); // they come newest first
    return timeline(id, own);
}

Result<std::optional<ResultHistory>> Past::judge(const ResultIdentity& identity, StoredStatus status)
{
    const std::uint32_t number = index_.find(identity);
    if (number != IdentityMap::Missing) {
        Candidate& candidate = candidates_[number];
        candidate.judged = true;
        const ResultHistory judged = history(identity, candidate, status);
        if (status != StoredStatus::Failed && !judged.flaky)
            return std::optional<ResultHistory>();
        return std::optional<ResultHistory>(judged);
    }
    // Not failed in the window: only a failed result has something to say.
    if (status != StoredStatus::Failed || runs_.empty())
        return std::optional<ResultHistory>();
    const Result<Candidate> candidate = lookUp(identity);
    if (!candidate)
        return candidate.error();
    return std::optional<ResultHistory>(history(identity, *candidate, status));
}

std::vector<ResultHistory> Past::absentFlaky() const
{
    std::vector<ResultHistory> found;
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        if (candidates_[i].judged)
            continue;
        ResultHistory absent = history(identities_[i], candidates_[i], StoredStatus::Absent);
        if (absent.flaky)
            found.push_back(std::move(absent));
    }
    return found;
}

} // namespace xrdtool::history
