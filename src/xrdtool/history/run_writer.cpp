#include "xrdtool/history/run_writer.h"

#include <algorithm>

namespace xrdtool::history {

namespace {

/// The bits of an ord that number the adds: 16.7 million adds per store.
constexpr int AddBits = 24;

} // namespace

RunWriter::RunWriter(Statements& statements, std::int64_t series)
    : statements_(statements), edits_(statements), series_(series), paths_(statements, series, tables_)
{}

void RunWriter::keep(const Result<void>& done)
{
    if (!done && !failure_)
        failure_ = done.error();
}

Result<void> RunWriter::place(std::int64_t at)
{
    placed_ = true;
    std::string adds;
    if (!statements_.meta("adds", adds))
        return statements_.error();
    const std::int64_t added = std::atoll(adds.c_str()) + 1;
    Statement& put = statements_.get(Sql::PutMeta);
    put.bind(0, std::string_view("adds"));
    put.bind(1, std::to_string(added));
    if (Result<void> done = statements_.run(put); !done)
        return done;
    ord_ = (at << AddBits) | (added & ((std::int64_t(1) << AddBits) - 1));
    const Result<std::int64_t> previous = neighbourOrd(statements_, series_, ord_, false);
    if (!previous)
        return previous.error();
    const Result<std::int64_t> next = neighbourOrd(statements_, series_, ord_, true);
    if (!next)
        return next.error();
    previous_ = *previous;
    next_ = *next;

    if (Result<void> loaded = loadResults(); !loaded)
        return loaded;
    if (previous_ == NoOrd && next_ == NoOrd)
        return Result<void>();
    if (statements_.connection().dialect() == Dialect::Postgresql) {
        if (Result<void> loaded = loadFailuresInForce(); !loaded)
            return loaded;
    }

    // The spans that cover the runs just before and after this one: only
    // they can change.
    Statement& spans = statements_.get(Sql::SpansOverlapping);
    spans.bind(0, next_ == NoOrd ? previous_ : next_);
    spans.bind(1, previous_ == NoOrd ? next_ : previous_);
    Step step;
    while ((step = spans.step()) == Step::Row) {
        const std::optional<std::uint32_t> number = localById_.find(spans.integer(0));
        if (!number)
            continue; // another series
        Local* at = &locals_[*number];
        const Span span = spanFrom(spans, 1);
        if (previous_ != NoOrd && span.covers(previous_))
            at->atPrevious = span;
        if (next_ != NoOrd && span.covers(next_))
            at->atNext = span;
    }
    if (step != Step::Done)
        return statements_.error();
    return Result<void>();
}

Result<void> RunWriter::loadResults()
{
    if (Result<void> read = paths_.readAll(); !read)
        return read;
    Statement& results = statements_.get(Sql::ResultsOfSeries);
    results.bind(0, series_);
    Step step;
    while ((step = results.step()) == Step::Row) {
        const std::optional<std::uint32_t> node = paths_.nodeOf(results.integer(1));
        if (!node)
            return fileError(statements_.connection().name(),
                             std::string(NotStoreWords) + " (a result's path is missing)");
        const ResultIdentity identity{ResultKey{*node, types_.intern(results.textView(2))},
                                      std::uint32_t(results.integer(3))};
        index_[identity] = std::uint32_t(locals_.size());
        if (!localById_.set(results.integer(0), std::uint32_t(locals_.size())))
            return fileError(statements_.connection().name(),
                             std::string(NotStoreWords) + " (a result id out of range)");
        Local local;
        local.id = results.integer(0);
        locals_.push_back(local);
    }
    if (step != Step::Done)
        return statements_.error();
    return Result<void>();
}

Result<void> RunWriter::loadFailuresInForce()
{
    Statement& rows = statements_.get(Sql::FailuresBefore);
    rows.bind(0, series_);
    rows.bind(1, ord_);
    inForce_.emplace();
    Step step;
    while ((step = rows.step()) == Step::Row) {
        // Newest first per result: the first row of each is the one in force.
        const std::int64_t result = rows.integer(0);
        if (inForce_->find(result) == inForce_->end())
            inForce_->emplace(result, failureFrom(rows, 0));
    }
    if (step != Step::Done)
        return statements_.error();
    return Result<void>();
}

Result<std::optional<FailureRow>> RunWriter::failureInForce(const Local& local)
{
    if (local.fresh)
        return std::optional<FailureRow>();
    if (!inForce_)
        return failureBefore(statements_, local.id, ord_);
    const auto found = inForce_->find(local.id);
    if (found == inForce_->end())
        return std::optional<FailureRow>();
    return std::optional<FailureRow>(found->second);
}

void RunWriter::observe(const Observation& observation)
{
    if (failure_)
        return;
    std::uint32_t& number = index_[observation.identity];
    if (number == IdentityMap::Missing) {
        const ResultIdentity& identity = observation.identity;
        const Result<std::int64_t> path = paths_.store(identity.key.path);
        if (!path)
            return keep(path.error());
        Statement& insert = statements_.get(Sql::InsertResult);
        insert.bind(0, series_);
        insert.bind(1, *path);
        insert.bind(2, tables_.names.view(identity.key.type));
        insert.bind(3, std::int64_t(identity.repeat));
        const Result<std::int64_t> id = statements_.insert(insert);
        if (!id)
            return keep(id.error());
        Local local;
        local.id = *id;
        local.fresh = true;
        number = std::uint32_t(locals_.size());
        locals_.push_back(local);
    }
    Local& local = locals_[number];
    local.observed = observation.status;
    placeInSpans(local, observation.status);
    if (observation.status == StoredStatus::Failed)
        recordFailure(local, observation);
    keep(edits_.status());
}

void RunWriter::placeInSpans(const Local& local, StoredStatus status)
{
    const Span& before = local.atPrevious;
    const Span& after = local.atNext;
    // A span ending at this run reaches to the newest run when there is no later one.
    const std::int64_t end = next_ == NoOrd ? OpenEnd : ord_;
    const bool oneSpanAround = before.valid &&
        (next_ == NoOrd ? before.last == OpenEnd : after.valid && after.first == before.first);
    if (oneSpanAround) {
        // The run falls inside a span: nothing to write when it agrees,
        // else the span is split around it.
        if (status == before.status)
            return;
        edits_.setLast(local.id, before.first, previous_);
        if (next_ != NoOrd)
            edits_.insert(local.id, next_, before.last, before.status);
        if (status != StoredStatus::Absent)
            edits_.insert(local.id, ord_, end, status);
        return;
    }
    if (status == StoredStatus::Absent)
        return;
    // Here a span covering the run before ends there, and one covering the
    // run after starts there: the run joins those of its status.
    const bool joinBefore = before.valid && before.status == status;
    const bool joinAfter = after.valid && after.status == status;
    if (joinBefore && joinAfter) {
        edits_.remove(local.id, after.first);
        edits_.setLast(local.id, before.first, after.last);
    } else if (joinBefore) {
        edits_.setLast(local.id, before.first, end);
    } else if (joinAfter) {
        edits_.setFirst(local.id, after.first, ord_);
    } else {
        edits_.insert(local.id, ord_, end, status);
    }
}

void RunWriter::recordFailure(const Local& local, const Observation& observation)
{
    const Result<std::optional<FailureRow>> inForce = failureInForce(local);
    if (!inForce)
        return keep(inForce.error());
    const std::optional<FailureRow>& before = *inForce;
    if (before && before->message == observation.message && before->hasLocation == observation.hasLocation &&
        (!before->hasLocation || (before->file == observation.file && before->line == observation.line)))
        return; // the one in force already says it
    FailureRow row;
    row.result = local.id;
    row.message = std::string(observation.message);
    row.hasLocation = observation.hasLocation;
    row.file = std::string(observation.file);
    row.line = observation.line;
    keep(insertFailure(statements_, row, ord_));
    // A later failed run inherited the row in force before this one: it keeps it.
    if (before && next_ != NoOrd)
        keep(handDown(statements_, *before, next_));
}

Result<AddOutcome> RunWriter::finish(const StoredRun& facts, bool skipSameReport)
{
    if (failure_)
        return *failure_;
    if (skipSameReport) {
        Statement& same = statements_.get(Sql::FindRunByHash);
        same.bind(0, series_);
        same.bind(1, facts.hash);
        const Step step = same.step();
        same.reset();
        if (step == Step::Failed)
            return statements_.error();
        if (step == Step::Row)
            return AddOutcome::SameReportStored;
    }
    Statement& existing = statements_.get(Sql::FindRunById);
    existing.bind(0, series_);
    existing.bind(1, facts.run);
    const Step step = existing.step();
    existing.reset();
    if (step == Step::Failed)
        return statements_.error();
    if (step == Step::Row)
        return AddOutcome::RunExists;
    for (const Local& local : locals_) {
        if (local.observed == StoredStatus::Absent && (local.atPrevious.valid || local.atNext.valid))
            placeInSpans(local, StoredStatus::Absent);
    }
    if (Result<void> edited = edits_.status(); !edited)
        return edited.error();
    Statement& insert = statements_.get(Sql::InsertRun);
    insert.bind(0, series_);
    insert.bind(1, facts.run);
    insert.bind(2, ord_);
    insert.bind(3, ord_ >> AddBits);
    insert.bind(4, facts.hash);
    insert.bind(5, facts.headHash);
    if (facts.revision)
        insert.bind(6, *facts.revision);
    else
        insert.bindNull(6);
    insert.bind(7, facts.passed);
    insert.bind(8, facts.inconclusive);
    insert.bind(9, facts.failed);
    if (Result<void> done = statements_.run(insert); !done)
        return done.error();
    return AddOutcome::Added;
}

} // namespace xrdtool::history
