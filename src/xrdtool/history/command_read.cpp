// `history runs`, `history flaky` and `history prune`: one store, one series.

#include "xrdtool/history/commands.h"
#include "xrdtool/history/history_format.h"
#include "xrdtool/history/run_removal.h"
#include "xrdtool/history/store.h"

#include <cstdio>
#include <cstdlib>

namespace xrdtool::history {

namespace {

Result<int> print(const std::string& text)
{
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (std::fflush(stdout) != 0 || !written || std::ferror(stdout))
        return fileError(StandardOutput, "write error");
    return ExitOk;
}

HistoryFormat formatOf(const Arguments& args)
{
    const std::string& format = args.value("--format");
    return format == "json"    ? HistoryFormat::Json
        : format == "markdown" ? HistoryFormat::Markdown
                               : HistoryFormat::Text;
}

/// The value of a count option (checked by the parser), else `fallback`.
std::int64_t countOf(const Arguments& args, const std::string& option, std::int64_t fallback)
{
    return args.has(option) ? std::strtoll(args.value(option).c_str(), nullptr, 10) : fallback;
}

/// The reading commands' store and series: a missing store is an error; a
/// series the store does not hold has no runs, and its answers are empty.
struct ReadView {
    std::unique_ptr<StoreReader> reader;
    std::optional<std::int64_t> series;
};

Result<ReadView> openView(const Arguments& args)
{
    const std::string& db = args.value("--db");
    Result<std::unique_ptr<StoreReader>> reader = StoreReader::open(db);
    if (!reader)
        return reader.error();
    if (!*reader)
        return noHistory(db);
    ReadView view;
    view.reader = std::move(*reader);
    Result<std::optional<std::int64_t>> series = view.reader->series(seriesOf(args));
    if (!series)
        return series.error();
    view.series = *series;
    return view;
}

} // namespace

Result<int> runHistoryRuns(const Arguments& args)
{
    const Result<ReadView> view = openView(args);
    if (!view)
        return view.error();
    std::vector<TrendRow> rows;
    if (view->series) {
        Result<std::vector<TrendRow>> found =
            trend(view->reader->statements(), *view->series, countOf(args, "--last", 0));
        if (!found)
            return found.error();
        rows = std::move(*found);
    }
    return print(formatRuns(formatOf(args), seriesOf(args), rows));
}

Result<int> runHistoryFlaky(const Arguments& args)
{
    const Result<ReadView> view = openView(args);
    if (!view)
        return view.error();
    FlakyList list;
    if (view->series) {
        Result<FlakyList> found = flaky(view->reader->statements(), *view->series,
                                        countOf(args, "--last", 30), countOf(args, "--min-flips", 3));
        if (!found)
            return found.error();
        list = std::move(*found);
    }
    return print(formatFlaky(formatOf(args), seriesOf(args), list));
}

Result<int> runHistoryPrune(const Arguments& args)
{
    const std::string& db = args.value("--db");
    Result<Store> store = openStore(db, OpenMode::WriteExisting);
    if (!store)
        return store.error();
    if (!store->exists())
        return noHistory(db);
    // An existing file without our tables is "no history" here, not a new store.
    const Result<std::vector<std::string>> tables = store->connection->tableNames();
    if (!tables)
        return tables.error();
    if (tables->empty())
        return noHistory(db);
    Transaction transaction(*store->connection);
    if (Result<void> begun = beginWrite(*store, transaction); !begun)
        return begun.error();
    const Result<std::optional<std::int64_t>> series = findSeries(*store->statements, seriesOf(args));
    if (!series)
        return series.error();
    if (*series) {
        const Result<std::int64_t> removed =
            pruneRuns(*store->statements, **series, countOf(args, "--keep", 1));
        if (!removed)
            return removed.error();
    }
    if (Result<void> committed = transaction.commit(); !committed)
        return committed.error();
    return ExitOk;
}

} // namespace xrdtool::history
