#include "xrdtool/diff/index.h"

#include "xrd/read_buffer.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>

namespace xrdtool {

namespace {

/// Turns the entries of one report into result records. Names, types and
/// files go into the tables shared with the other report's reader, under
/// their lock: a few times per entry, while the reader's own work goes on per
/// element.
class IndexHandler : public xrd::ReportHandler {
public:
    IndexHandler(SharedTables& tables, ReportResults& out, const PathMap& map)
        : tables_(tables), out_(out), map_(map)
    {}

    bool keepTables(const xrd::Entry&) const override { return false; }
    /// Only the locations matter here: no cell text is gathered.
    xrd::TableContent tableContent(const xrd::Entry&) const override { return xrd::TableContent::None; }

    void entryOpened(const xrd::Entry& entry) override
    {
        // The global entry (depth 0) is not part of any path.
        std::uint32_t node = 0;
        if (entry.depth != 0) {
            const std::uint32_t parent = nodes_.empty() ? 0 : nodes_.back();
            const std::lock_guard<std::mutex> hold(tables_.mutex);
            node = tables_.paths.child(parent, tables_.names.intern(entry.name));
        }
        nodes_.push_back(node);
        if (entry.counted) {
            // The record takes its place in document order now; its children's
            // records follow it.
            open_.push_back(out_.results.size());
            out_.results.push_back(ResultRecord());
        }
    }

    void entryClosed(const xrd::Entry& entry) override
    {
        if (entry.counted) {
            ResultRecord& record = out_.results[open_.back()];
            open_.pop_back();
            record.path = nodes_.back();
            const xrd::ResultStatus status = entry.status();
            {
                const std::lock_guard<std::mutex> hold(tables_.mutex);
                record.setTypeAndStatus(tables_.names.intern(entry.type), status);
                if (entry.location)
                    record.file = tables_.names.intern(map_.empty() ? entry.location->path
                                                                    : map_.apply(entry.location->path));
            }
            if (entry.location)
                record.line = std::int32_t(std::clamp(entry.location->line, 0L, 0x7FFFFFFFL));
        }
        nodes_.pop_back();
    }

private:
    SharedTables& tables_;
    ReportResults& out_;
    const PathMap& map_;
    std::vector<std::uint32_t> nodes_; // path node of each open entry
    std::vector<std::size_t> open_;    // record of each open counted entry
};

/// Reads the report at `path` into `out`, adding to the shared tables.
xrd::ReadResult readResults(const std::string& path, SharedTables& tables, ReportResults& out,
                            const PathMap& map)
{
    IndexHandler handler(tables, out, map);
    const xrd::ReadResult read = xrd::readReport(path, handler);
    out.totals = read.totals;
    return read;
}

} // namespace

xrd::ReadResult detail::readResultsBuffer(const char* data, std::size_t size, SharedTables& tables,
                                          ReportResults& out)
{
    const PathMap none;
    IndexHandler handler(tables, out, none);
    const xrd::ReadResult read = xrd::detail::readReportBuffer(data, size, handler);
    out.totals = read.totals;
    return read;
}

DiffRead readReports(const std::string& oldPath, const std::string& newPath, DiffInput& input,
                     const PathMap& map)
{
    DiffRead read;
    std::thread oldReader;
    std::exception_ptr oldFailure; // exhausted memory on the other thread, raised here
    try {
        oldReader = std::thread([&] {
            try {
                read.before = readResults(oldPath, input.tables, input.before, map);
            } catch (...) {
                oldFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        read.before = readResults(oldPath, input.tables, input.before, map); // no thread: one after the other
    }
    std::exception_ptr newFailure;
    try {
        read.after = readResults(newPath, input.tables, input.after, map);
    } catch (...) {
        newFailure = std::current_exception(); // the other reader is joined first
    }
    if (oldReader.joinable())
        oldReader.join();
    if (newFailure)
        std::rethrow_exception(newFailure);
    if (oldFailure)
        std::rethrow_exception(oldFailure);
    return read;
}

} // namespace xrdtool
