// `xrdtool diff`: what changed between two runs. Results are matched by their
// path and type; the k-th result with the same path and type in one report
// matches the k-th in the other.

#include "xrdtool/cli.h"
#include "xrdtool/commands.h"
#include "xrdtool/diff_format.h"
#include "xrdtool/diff_index.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <exception>
#include <system_error>
#include <thread>

namespace xrdtool {

namespace {

constexpr std::uint32_t kAbsent = ~std::uint32_t(0);

/// For each result of `a`, the index of its match in `b`, or kAbsent.
std::vector<std::uint32_t> match(const std::vector<ResultRecord>& a, const std::vector<ResultRecord>& b)
{
    auto sorted = [](const std::vector<ResultRecord>& records) {
        std::vector<std::uint32_t> order(records.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&records](std::uint32_t x, std::uint32_t y) {
            const ResultRecord& l = records[x];
            const ResultRecord& r = records[y];
            if (l.path != r.path)
                return l.path < r.path;
            if (l.type != r.type)
                return l.type < r.type;
            return l.occurrence < r.occurrence;
        });
        return order;
    };
    const std::vector<std::uint32_t> ia = sorted(a);
    const std::vector<std::uint32_t> ib = sorted(b);
    std::vector<std::uint32_t> matches(a.size(), kAbsent);
    std::size_t j = 0;
    for (std::uint32_t i : ia) {
        const ResultRecord& l = a[i];
        while (j < ib.size()) {
            const ResultRecord& r = b[ib[j]];
            if (r.path < l.path || (r.path == l.path && (r.type < l.type || (r.type == l.type && r.occurrence < l.occurrence))))
                ++j;
            else
                break;
        }
        if (j < ib.size()) {
            const ResultRecord& r = b[ib[j]];
            if (r.path == l.path && r.type == l.type && r.occurrence == l.occurrence)
                matches[i] = ib[j];
        }
    }
    return matches;
}

Change itemOf(const ResultRecord& record, Presence before, Presence after)
{
    Change change;
    change.record = &record;
    change.before = before;
    change.after = after;
    return change;
}

Presence presence(xrd::ResultStatus status)
{
    switch (status) {
    case xrd::ResultStatus::Passed:
        return Presence::Passed;
    case xrd::ResultStatus::Failed:
        return Presence::Failed;
    case xrd::ResultStatus::Inconclusive:
        break;
    }
    return Presence::Inconclusive;
}

} // namespace

DiffLists compareResults(const ReportResults& before, const ReportResults& after)
{
    DiffLists lists;
    lists.before = before.totals;
    lists.after = after.totals;
    const std::vector<std::uint32_t> newToOld = match(after.results, before.results);
    std::vector<bool> oldMatched(before.results.size(), false);
    for (std::size_t i = 0; i < after.results.size(); ++i) {
        const ResultRecord& now = after.results[i];
        const Presence a = presence(now.status);
        Presence b = Presence::Absent;
        if (newToOld[i] != kAbsent) {
            oldMatched[newToOld[i]] = true;
            b = presence(before.results[newToOld[i]].status);
        }
        const Change change = itemOf(now, b, a);
        if (b == Presence::Absent)
            lists.added.push_back(change);
        if (a == Presence::Failed && b != Presence::Failed)
            lists.newlyFailed.push_back(change);
        if (b == Presence::Failed && a == Presence::Passed)
            lists.fixed.push_back(change);
        if (a == Presence::Inconclusive && (b == Presence::Passed || b == Presence::Failed))
            lists.newlyNotExecuted.push_back(change);
        if (a == Presence::Passed && b == Presence::Inconclusive)
            lists.newlyPassed.push_back(change);
    }
    for (std::size_t i = 0; i < before.results.size(); ++i) {
        if (!oldMatched[i])
            lists.removed.push_back(itemOf(before.results[i], presence(before.results[i].status), Presence::Absent));
    }
    return lists;
}

int runDiffCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> reports;
    DiffFormat format = DiffFormat::Text;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string value;
        bool missing = false;
        if (optionValue(args, i, "--format", value, missing)) {
            if (missing || (value != "text" && value != "markdown" && value != "json"))
                return usageError("diff", "diff: --format takes text, markdown or json");
            format = value == "json" ? DiffFormat::Json : value == "markdown" ? DiffFormat::Markdown : DiffFormat::Text;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return usageError("diff", "diff: unknown option '" + args[i] + "'");
        } else {
            reports.push_back(args[i]);
        }
    }
    if (reports.size() != 2)
        return usageError("diff", "diff: two reports are needed, OLD and NEW");

    // The two reports are read side by side, each into tables of its own; the
    // old one's numbers are then moved into the new one's tables.
    NameTable names;
    PathTable paths;
    NameTable oldNames;
    PathTable oldPaths;
    ReportResults before;
    ReportResults after;
    xrd::ReadResult oldRead;
    std::thread oldReader;
    std::exception_ptr oldFailure;  // exhausted memory on the other thread, raised here
    try {
        oldReader = std::thread([&] {
            try {
                oldRead = readResults(reports[0], oldNames, oldPaths, before);
            } catch (...) {
                oldFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        oldRead = readResults(reports[0], oldNames, oldPaths, before);  // no thread: one after the other
    }
    xrd::ReadResult newRead;
    std::exception_ptr newFailure;
    try {
        newRead = readResults(reports[1], names, paths, after);
    } catch (...) {
        newFailure = std::current_exception();  // the other reader is joined first
    }
    if (oldReader.joinable())
        oldReader.join();
    if (newFailure)
        std::rethrow_exception(newFailure);
    if (oldFailure)
        std::rethrow_exception(oldFailure);
    if (!oldRead.ok())
        return readError(reports[0], oldRead);
    if (!newRead.ok())
        return readError(reports[1], newRead);
    printWarning(totalsWarning(reports[0], before.totals, before.summary));
    printWarning(totalsWarning(reports[1], after.totals, after.summary));
    remapResults(oldNames, oldPaths, names, paths, before.results);
    oldNames = NameTable();
    oldPaths = PathTable();
    numberOccurrences(before.results);
    numberOccurrences(after.results);
    const DiffLists lists = compareResults(before, after);
    const DiffText text{names, paths};
    bool written = writeDiff(stdout, format, lists, text);
    written = std::fflush(stdout) == 0 && written && !std::ferror(stdout);
    if (!written)
        return fileError("standard output", "write error");
    return lists.newlyFailed.empty() ? kExitOk : kExitFailures;
}

} // namespace xrdtool
