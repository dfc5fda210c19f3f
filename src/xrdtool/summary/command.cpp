// `xrdtool summary`: the failed results in compiler style or as GitHub
// annotations, then the totals; the exit status fails the build.

#include "xrdtool/summary/command.h"

#include "xrdtool/common/nested_order.h"
#include "xrdtool/common/read_report.h"
#include "xrdtool/common/result_text.h"
#include "xrdtool/common/spool.h"
#include "xrdtool/common/totals.h"
#include "xrdtool/common/utf8_text.h"
#include "xrdtool/history/report_history.h"

#include <cstdio>

namespace xrdtool {

namespace {

enum class Format { Text, Github };

/// GitHub's workflow command escaping; properties also escape ":" and ",".
std::string githubEscape(const std::string& text, bool property)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '%': out += "%25"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        case ':': out += property ? "%3A" : ":"; break;
        case ',': out += property ? "%2C" : ","; break;
        default: out += c;
        }
    }
    return out;
}

class SummaryHandler : public xrd::ReportHandler {
public:
    SummaryHandler(const std::string& report, Format format, bool verbose, const PathMap& map,
                   history::ReportHistory* history)
        : report_(report), format_(format), verbose_(verbose), map_(map), history_(history)
    {}

    Spool failures;
    Spool inconclusive;

    /// Only a failed result shows its rows.
    bool keepTables(const xrd::Entry& entry) const override
    {
        return entry.counted && entry.status() == xrd::ResultStatus::Failed;
    }

    /// The failed rows' texts and links; other entries' tables matter only
    /// for their locations.
    xrd::TableContent tableContent(const xrd::Entry&) const override { return xrd::TableContent::None; }

    void entryOpened(const xrd::Entry& entry) override
    {
        failedOrder_.opened(entry);
        inconclusiveOrder_.opened(entry);
        if (history_)
            history_->entryOpened(entry);
    }

    void entryClosed(const xrd::Entry& entry) override
    {
        std::vector<std::string> failed;
        std::vector<std::string> notExecuted;
        if (entry.counted) {
            const xrd::ResultStatus status = entry.status();
            if (status == xrd::ResultStatus::Failed)
                failed.push_back(withHistoryNote(describe(entry, true)));
            else if (status == xrd::ResultStatus::Inconclusive && verbose_)
                notExecuted.push_back(describe(entry, false));
        }
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
        const std::string note = " (" + history::noteWords(*judged) + ")";
        text.insert(text.find('\n'), format_ == Format::Text ? oneLine(note) : githubEscape(note, false));
        return text;
    }

    std::string describe(const xrd::Entry& entry, bool failed) const
    {
        // Text lines show a line end in a name as a blank; annotations escape it.
        const std::string rawTitle = entry.type + " " + nameOrUnnamed(entry.name);
        const std::string title = oneLine(rawTitle);
        const std::vector<const xrd::Row*> rows = failed ? failedRows(entry) : std::vector<const xrd::Row*>();
        const std::string where = locationText(entry.location, map_);
        if (format_ == Format::Text) {
            std::string text = (where.empty() ? report_ + ":0" : where) +
                (failed ? ": failed: " : ": not executed: ") + title + "\n";
            for (const xrd::Row* row : rows)
                text += "  " + rowText(*row, map_) + "\n";
            return text;
        }
        std::string text = failed ? "::error " : "::notice ";
        if (!where.empty()) {
            const std::size_t colon = where.rfind(':');
            text += "file=" + githubEscape(where.substr(0, colon), true) +
                ",line=" + where.substr(colon + 1) + ",";
        }
        text += "title=" + githubEscape(rawTitle, true) + "::";
        std::string message;
        for (const xrd::Row* row : rows)
            message += (message.empty() ? "" : "\n") + rowText(*row, map_);
        if (message.empty())
            message = title + (failed ? " failed" : " not executed");
        return text + githubEscape(message, false) + "\n";
    }

    std::string report_;
    Format format_;
    bool verbose_;
    const PathMap& map_;
    history::ReportHistory* history_;
    NestedOrder<std::string> failedOrder_;
    NestedOrder<std::string> inconclusiveOrder_;
};

} // namespace

Result<int> runSummary(const Arguments& args)
{
    const std::string& report = args.operands().front();
    const Format format = args.value("--format") == "github" ? Format::Github : Format::Text;
    const PathMap map(args.values("--path-map"));
    Result<std::unique_ptr<history::ReportHistory>> opened = history::openHistory(args, report, false);
    if (!opened)
        return opened.error();
    const std::unique_ptr<history::ReportHistory> history = std::move(*opened);
    SummaryHandler handler(report, format, args.has("--verbose"), map, history.get());
    if (!handler.failures.valid() || !handler.inconclusive.valid())
        return fileError("summary", "cannot make a temporary file");
    const Result<Totals> totals = readReportInto(report, handler);
    if (!totals)
        return totals.error();
    if (history) {
        if (const Result<void> judged = history->finish(*totals); !judged)
            return judged.error();
    }

    bool written = handler.failures.copyTo(stdout, 0, handler.failures.size()) &&
        handler.inconclusive.copyTo(stdout, 0, handler.inconclusive.size());
    written = written && std::fprintf(stdout, "%s\n", totalsLine(*totals).c_str()) > 0;
    written = std::fflush(stdout) == 0 && written && !std::ferror(stdout);
    if (!written)
        return fileError(StandardOutput, "write error");
    return totals->failed > 0 ? ExitFailures : ExitOk;
}

} // namespace xrdtool
