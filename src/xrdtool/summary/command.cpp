// `xrdtool summary`: the failed results in compiler style or as GitHub
// annotations, then the totals; the exit status fails the build.

#include "xrdtool/summary/command.h"

#include "xrdtool/common/nested_order.h"
#include "xrdtool/common/read_report.h"
#include "xrdtool/common/spool.h"
#include "xrdtool/common/totals.h"
#include "xrdtool/history/report_history.h"
#include "xrdtool/summary/result_lines.h"

#include <cstdio>

namespace xrdtool {

namespace {

bool isFailedResult(const xrd::Entry& entry)
{
    return entry.counted && entry.state == xrd::EntryState::Failed;
}

class SummaryHandler : public xrd::ReportHandler {
public:
    SummaryHandler(const std::string& report, SummaryFormat format, bool verbose, const PathMap& map,
                   history::ReportHistory* history)
        : lines_(report, format, map), form_(lineFormOf(format)), verbose_(verbose), map_(map),
          history_(history)
    {}

    Spool failures;
    Spool inconclusive;

    bool keepTables(const xrd::Entry&) const override { return false; }
    /// A failed result's rows, one at a time; other entries' tables matter
    /// only for their locations.
    xrd::TableContent tableContent(const xrd::Entry& entry) const override
    {
        return isFailedResult(entry) ? xrd::TableContent::Texts : xrd::TableContent::None;
    }
    /// Rows one at a time: a failed result keeps its lines, not its rows.
    bool streamRows(const xrd::Entry&) const override { return true; }

    void entryOpened(const xrd::Entry& entry) override
    {
        failedOrder_.opened(entry);
        inconclusiveOrder_.opened(entry);
        if (history_)
            history_->entryOpened(entry);
        if (isFailedResult(entry)) {
            if (open_ == failed_.size())
                failed_.emplace_back(map_, form_);
            failed_[open_++].clear();
        }
    }

    void entryRow(const xrd::Entry& entry, const xrd::Table& table, const xrd::Row& row) override
    {
        if (isFailedResult(entry) && open_ > 0)
            failed_[open_ - 1].row(table, row);
    }

    void entryContent(const xrd::Entry& entry, const xrd::Table&) override
    {
        if (isFailedResult(entry) && open_ > 0)
            failed_[open_ - 1].tableEnd();
    }

    void entryClosed(const xrd::Entry& entry) override
    {
        std::vector<std::string> failed;
        std::vector<std::string> notExecuted;
        if (isFailedResult(entry) && open_ > 0)
            failed.push_back(withHistoryNote(lines_.failed(entry, failed_[--open_])));
        else if (entry.counted && verbose_ && entry.status() == xrd::ResultStatus::Inconclusive)
            notExecuted.push_back(lines_.notExecuted(entry));
        for (const std::string& text : failedOrder_.closed(entry, std::move(failed)))
            failures.write(text);
        if (verbose_) {
            for (const std::string& text : inconclusiveOrder_.closed(entry, std::move(notExecuted)))
                inconclusive.write(text);
        }
        if (history_)
            history_->entryClosed(entry);
    }

    /// The report's time, for the history.
    void infoTable(const xrd::Table& table) override
    {
        if (history_)
            history_->infoTable(table);
    }

private:
    /// The one place the history touches a failed result's lines: its note
    /// ends the first line (in the github format, the annotation's text).
    std::string withHistoryNote(std::string text) const
    {
        const history::ResultHistory* judged = history_ ? history_->judged() : nullptr;
        if (!judged)
            return text;
        return lines_.withNote(std::move(text), " (" + history::noteWords(*judged) + ")");
    }

    ResultLines lines_;
    LineForm form_;
    bool verbose_;
    const PathMap& map_;
    history::ReportHistory* history_;
    NestedOrder<std::string> failedOrder_;
    NestedOrder<std::string> inconclusiveOrder_;
    /// The failure lines of each failed result open now: the first open_;
    /// the others keep their capacity for the next ones.
    std::vector<FailureLines> failed_;
    std::size_t open_ = 0;
};

} // namespace

Result<int> runSummary(const Arguments& args)
{
    const std::string& report = args.operands().front();
    const SummaryFormat format =
        args.value("--format") == "github" ? SummaryFormat::Github : SummaryFormat::Text;
    const PathMap map(args.values("--path-map"));
    Result<std::unique_ptr<history::ReportHistory>> opened = history::openHistory(args, report, false);
    if (!opened)
        return opened.error();
    const std::unique_ptr<history::ReportHistory> history = std::move(*opened);
    SummaryHandler handler(report, format, args.has("--verbose"), map, history.get());
    const Result<Totals> totals = readReportInto(report, handler);
    if (!totals)
        return totals.error();
    if (history) {
        if (const Result<void> judged = history->finish(*totals); !judged)
            return judged.error();
    }
    if (!handler.failures.valid() || !handler.inconclusive.valid())
        return fileError("summary", "cannot write a temporary file");

    bool written = handler.failures.copyTo(stdout, 0, handler.failures.size()) &&
        handler.inconclusive.copyTo(stdout, 0, handler.inconclusive.size());
    written = written && std::fprintf(stdout, "%s\n", totalsLine(*totals).c_str()) > 0;
    written = std::fflush(stdout) == 0 && written && !std::ferror(stdout);
    if (!written)
        return fileError(StandardOutput, "write error");
    return totals->failed > 0 ? ExitFailures : ExitOk;
}

} // namespace xrdtool
