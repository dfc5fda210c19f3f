#include "xrdtool/common/totals.h"

namespace xrdtool {

std::optional<std::string> totalsMismatch(const std::string& file, const Totals& totals,
                                          const xrd::Summary& summary)
{
    if (!summary.present)
        return std::nullopt;
    const std::string head = "xrdtool: " + file + ": ";
    const long difference = summary.total - totals.total();
    if (difference > 0)
        return head + std::to_string(difference) + " results in the summary have no entry";
    if (difference < 0)
        return head + std::to_string(-difference) + " entries are not counted";
    if (summary.passed != totals.passed || summary.inconclusive != totals.inconclusive ||
        summary.failed != totals.failed) {
        // Same number, other statuses: no rule of the report explains it, say what differs.
        Totals own;
        own.passed = summary.passed;
        own.inconclusive = summary.inconclusive;
        own.failed = summary.failed;
        return head + "the entries say " + totalsLine(totals) + ", the summary " + totalsLine(own);
    }
    return std::nullopt;
}

std::string totalsLine(const Totals& totals)
{
    return std::to_string(totals.passed) + " passed, " + std::to_string(totals.inconclusive) +
        " inconclusive, " + std::to_string(totals.failed) + " failed, " + std::to_string(totals.total()) +
        " total";
}

} // namespace xrdtool
