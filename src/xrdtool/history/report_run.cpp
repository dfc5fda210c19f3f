#include "xrdtool/history/report_run.h"

#include "xrdtool/common/failure_message.h"
#include "xrdtool/common/utf8_text.h"
#include "xrdtool/history/digest.h"
#include "xrdtool/history/run_time.h"

#include <vector>

namespace xrdtool::history {

namespace {

class RunHandler : public xrd::ReportHandler {
public:
    RunHandler(const RunTimeSource& time, const PathMap& pathMap, RunWriter& writer, ReportRun& run)
        : time_(time), pathMap_(pathMap), writer_(writer), run_(run)
    {}

    void bytesRead(const char* data, std::size_t size) override
    {
        sha_.update(data, size);
        head_.update(data, size);
    }
    void infoTable(const xrd::Table& table) override
    {
        for (const xrd::Row& row : table.rows) {
            if (!reportTime_ && row.cells.size() == 2 && isGenerationTimeLabel(row.cells[0].text))
                reportTime_ = parseReportTime(row.cells[1].text);
        }
    }
    bool keepTables(const xrd::Entry&) const override { return false; }
    /// A failed result's message comes from its rows' texts; nothing else is needed.
    xrd::TableContent tableContent(const xrd::Entry& entry) const override
    {
        return entry.counted && entry.status() == xrd::ResultStatus::Failed ? xrd::TableContent::Texts
                                                                            : xrd::TableContent::None;
    }
    void entryOpened(const xrd::Entry& entry) override
    {
        // The global entry (depth 0) is not part of any path. Repeats are
        // numbered in the order results open, as diff numbers them.
        std::uint32_t node = 0;
        if (entry.depth != 0)
            node =
                writer_.paths().child(nodes_.empty() ? 0 : nodes_.back(), writer_.names().intern(entry.name));
        nodes_.push_back(node);
        Open open;
        if (entry.counted) {
            const ResultKey key{node, writer_.types().intern(entry.type)};
            open.identity = ResultIdentity{key, repeats_.next(key)};
        }
        open_.push_back(std::move(open));
    }
    void entryContent(const xrd::Entry& entry, const xrd::Table& table) override
    {
        Open& open = open_.back();
        if (!entry.counted || open.messageFound)
            return;
        for (const xrd::Row& row : table.rows) {
            if (row.failed) {
                open.messageFound = true;
                open.message = failedRowMessage(row);
                return;
            }
        }
    }
    void entryClosed(const xrd::Entry& entry) override
    {
        Open& open = open_.back();
        if (entry.counted) {
            place();
            const xrd::ResultStatus status = entry.status();
            Observation observation;
            observation.identity = open.identity;
            observation.status = StoredStatus(int(status));
            std::string file;
            if (status == xrd::ResultStatus::Failed) {
                if (open.message.empty())
                    open.message = failedWithoutRowsMessage(entry);
                open.message = cutUtf8(open.message, MessageLimit);
                observation.message = open.message;
                if (entry.location) {
                    file = pathMap_.apply(entry.location->path);
                    observation.hasLocation = true;
                    observation.file = file;
                    observation.line = entry.location->line;
                }
            }
            writer_.observe(observation);
        }
        open_.pop_back();
        nodes_.pop_back();
    }

    /// Fixes the run's place in time, once.
    void place()
    {
        if (writer_.placed())
            return;
        run_.at = time_.at ? *time_.at : reportTime_ ? *reportTime_ : time_.fallback;
        if (Result<void> placed = writer_.place(run_.at); !placed)
            run_.placeFailure = placed.error();
    }

    /// The digest of every byte read.
    std::string hash() { return sha_.hex(); }
    /// The digest of the head of the bytes read.
    std::string headHash() { return head_.hex(); }

private:
    /// An open entry: its identity when it is a result, and the message of
    /// its first failed row.
    struct Open {
        ResultIdentity identity;
        std::string message;
        bool messageFound = false;
    };

    const RunTimeSource& time_;
    const PathMap& pathMap_;
    RunWriter& writer_;
    ReportRun& run_;
    BackgroundSha256 sha_;
    HeadSha256 head_;
    std::optional<std::int64_t> reportTime_;
    RepeatCounter repeats_;
    std::vector<std::uint32_t> nodes_;
    std::vector<Open> open_;
};

} // namespace

ReportRun readReportRun(const std::string& path, const RunTimeSource& time, const PathMap& pathMap,
                        RunWriter& writer)
{
    ReportRun run;
    RunHandler handler(time, pathMap, writer, run);
    run.read = xrd::readReport(path, handler);
    if (run.read.ok())
        handler.place(); // a report without results is a run too
    run.hash = handler.hash();
    run.headHash = handler.headHash();
    return run;
}

} // namespace xrdtool::history
