#include "xrdtool/common/read_report.h"

#include <cstdio>

namespace xrdtool {

Result<Totals> readReportInto(const std::string& path, xrd::ReportHandler& handler)
{
    const xrd::ReadResult read = xrd::readReport(path, handler);
    Result<Totals> outcome = readOutcome(path, read);
    if (outcome)
        warnIfTotalsDiffer(path, read);
    return outcome;
}

Result<Totals> readOutcome(const std::string& file, const xrd::ReadResult& read)
{
    switch (read.status) {
    case xrd::ReadStatus::Ok: return read.totals;
    case xrd::ReadStatus::CannotRead: return fileError(file, "cannot read (" + read.reason + ")");
    case xrd::ReadStatus::NotReport: break;
    }
    return fileError(file,
                     "not an XRD report (line " + std::to_string(read.line) + ", column " +
                         std::to_string(read.column) + ": " + read.reason + ")");
}

void warnIfTotalsDiffer(const std::string& file, const xrd::ReadResult& read)
{
    if (const std::optional<std::string> warning = totalsMismatch(file, read.totals, read.summary))
        std::fprintf(stderr, "%s\n", warning->c_str());
}

} // namespace xrdtool
