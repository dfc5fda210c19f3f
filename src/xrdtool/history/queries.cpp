#include "xrdtool/history/queries.h"

#include "xrdtool/history/failure_rows.h"

#include <algorithm>
#include <map>

namespace xrdtool::history {

namespace {

/// Spans of a series that reach `from` or later, grouped by result: calls
/// visit(result, spans) once per result, spans ascending.
template <typename Visit>
Result<void> eachResult(Statements& statements, std::int64_t series, std::int64_t from, Visit visit)
{
    Statement& spans = statements.get(Sql::SpansFrom);
    spans.bind(0, series);
    spans.bind(1, from);
    std::vector<Span> own;
    std::int64_t current = -1;
    Step step;
    while ((step = spans.step()) == Step::Row) {
        const std::int64_t result = spans.integer(0);
        if (result != current && !own.empty()) {
            visit(current, own);
            own.clear();
        }
        current = result;
        own.push_back(spanFrom(spans, 1));
    }
    if (step != Step::Done)
        return statements.error();
    if (!own.empty())
        visit(current, own);
    return Result<void>();
}

} // namespace

bool nameLess(const ResultName& l, const ResultName& r)
{
    // Name by name, each compared as bytes: std::string compares unsigned chars' values.
    if (l.path != r.path)
        return std::lexicographical_compare(l.path.begin(), l.path.end(), r.path.begin(), r.path.end());
    if (l.type != r.type)
        return l.type < r.type;
    return l.repeat < r.repeat;
}

std::vector<StoredStatus> statusesAt(const std::vector<Span>& spans, const std::vector<std::int64_t>& ords)
{
    std::vector<StoredStatus> statuses(ords.size(), StoredStatus::Absent);
    for (const Span& span : spans) {
        auto from = std::lower_bound(ords.begin(), ords.end(), span.first);
        for (auto at = from; at != ords.end() && *at <= span.last; ++at)
            statuses[std::size_t(at - ords.begin())] = span.status;
    }
    return statuses;
}

std::int64_t flipsOf(const std::vector<StoredStatus>& statuses)
{
    std::int64_t flips = 0;
    StoredStatus last = StoredStatus::Absent;
    for (StoredStatus status : statuses) {
        if (status != StoredStatus::Passed && status != StoredStatus::Failed)
            continue;
        if (last != StoredStatus::Absent && status != last)
            ++flips;
        last = status;
    }
    return flips;
}

Result<ResultName> resultName(Statements& statements, std::int64_t result)
{
    Statement& row = statements.get(Sql::ResultById);
    row.bind(0, result);
    if (row.step() != Step::Row)
        return statements.error();
    ResultName name;
    const std::int64_t path = row.integer(0);
    name.type = row.text(1);
    name.repeat = row.integer(2);
    row.reset();
    Statement& names = statements.get(Sql::PathNames);
    names.bind(0, path);
    Step step;
    while ((step = names.step()) == Step::Row)
        name.path.push_back(names.text(0));
    if (step != Step::Done)
        return statements.error();
    return name;
}

Result<std::optional<std::int64_t>> findResult(Statements& statements, std::int64_t series,
                                               const ResultName& name)
{
    std::int64_t path = 0;
    for (const std::string& part : name.path) {
        Statement& find = statements.get(Sql::FindPath);
        find.bind(0, series);
        find.bind(1, path);
        find.bind(2, part);
        const Result<std::optional<std::int64_t>> found = statements.single(find);
        if (!found || !*found)
            return found;
        path = **found;
    }
    Statement& find = statements.get(Sql::FindResult);
    find.bind(0, series);
    find.bind(1, path);
    find.bind(2, name.type);
    find.bind(3, name.repeat);
    return statements.single(find);
}

Result<std::vector<TrendRow>> trend(Statements& statements, std::int64_t series, std::int64_t last)
{
    Result<std::vector<StoredRun>> loaded = loadRuns(statements, series);
    if (!loaded)
        return loaded.error();
    std::vector<StoredRun>& runs = *loaded;
    const std::size_t first =
        last > 0 && std::size_t(last) < runs.size() ? runs.size() - std::size_t(last) : 0;
    std::vector<TrendRow> rows;
    for (std::size_t i = first; i < runs.size(); ++i)
        rows.push_back(TrendRow{runs[i], 0, 0});
    if (rows.empty())
        return rows;
    // The changes from the run before the window's first are counted too.
    const std::size_t from = first > 0 ? first - 1 : 0;
    std::vector<std::int64_t> ords;
    for (std::size_t i = from; i < runs.size(); ++i)
        ords.push_back(runs[i].ord);
    const std::size_t shift = first - from; // rows[k] is ords[k + shift]
    const Result<void> counted =
        eachResult(statements, series, ords.front(), [&](std::int64_t, const std::vector<Span>& spans) {
            const std::vector<StoredStatus> statuses = statusesAt(spans, ords);
            for (std::size_t k = 1; k < statuses.size(); ++k) {
                if (k < shift)
                    continue;
                const StoredStatus before = statuses[k - 1];
                const StoredStatus now = statuses[k];
                if (now == StoredStatus::Failed &&
                    (before == StoredStatus::Passed || before == StoredStatus::Inconclusive))
                    ++rows[k - shift].newlyFailed;
                if (before == StoredStatus::Failed && now == StoredStatus::Passed)
                    ++rows[k - shift].fixed;
            }
        });
    if (!counted)
        return counted.error();
    return rows;
}

Result<FlakyList> flaky(Statements& statements, std::int64_t series, std::int64_t window,
                        std::int64_t minFlips)
{
    const Result<std::vector<StoredRun>> loaded = loadRuns(statements, series);
    if (!loaded)
        return loaded.error();
    const std::vector<StoredRun>& runs = *loaded;
    const std::size_t first = std::size_t(window) < runs.size() ? runs.size() - std::size_t(window) : 0;
    FlakyList list;
    list.window = std::int64_t(runs.size() - first);
    if (runs.empty())
        return list;
    std::vector<std::int64_t> ords;
    std::vector<const std::optional<std::string>*> revisions;
    for (std::size_t i = first; i < runs.size(); ++i) {
        ords.push_back(runs[i].ord);
        revisions.push_back(&runs[i].revision);
    }
    std::vector<std::pair<std::int64_t, FlakyResult>> found;
    const Result<void> scanned = eachResult(
        statements, series, ords.front(), [&](std::int64_t result, const std::vector<Span>& spans) {
            const std::vector<StoredStatus> statuses = statusesAt(spans, ords);
            FlakyResult flaky;
            flaky.flips = flipsOf(statuses);
            std::map<std::string, int> seen; // revision: 1 passed, 2 failed
            std::size_t newestFailed = statuses.size();
            for (std::size_t k = 0; k < statuses.size(); ++k) {
                const bool passed = statuses[k] == StoredStatus::Passed;
                const bool failed = statuses[k] == StoredStatus::Failed;
                flaky.passed += passed;
                flaky.failed += failed;
                if (failed)
                    newestFailed = k;
                if ((passed || failed) && *revisions[k]) {
                    int& bits = seen[**revisions[k]];
                    bits |= passed ? 1 : 2;
                    flaky.sameRevision = flaky.sameRevision || bits == 3;
                }
            }
            flaky.last = statuses.back();
            if (flaky.flips >= minFlips || flaky.sameRevision) {
                flaky.line = std::int64_t(newestFailed); // resolved below, once the scan is done
                found.emplace_back(result, std::move(flaky));
            }
        });
    if (!scanned)
        return scanned.error();
    for (auto& [result, flaky] : found) {
        Result<ResultName> named = resultName(statements, result);
        if (!named)
            return named.error();
        flaky.name = std::move(*named);
        const std::size_t newestFailed = std::size_t(*flaky.line);
        flaky.line.reset();
        if (newestFailed == ords.size())
            continue;
        const Result<std::optional<FailureRow>> row =
            failureBefore(statements, result, ords[newestFailed] + 1);
        if (!row)
            return row.error();
        if (*row && (*row)->hasLocation) {
            flaky.file = (*row)->file;
            flaky.line = (*row)->line;
        }
    }
    for (auto& entry : found)
        list.results.push_back(std::move(entry.second));
    std::sort(list.results.begin(), list.results.end(), [](const FlakyResult& l, const FlakyResult& r) {
        if (l.flips != r.flips)
            return l.flips > r.flips;
        return nameLess(l.name, r.name);
    });
    return list;
}

} // namespace xrdtool::history
