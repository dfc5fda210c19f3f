// The rules that turn what an XRD writes into results: link targets, table
// layouts and the status of a counted entry.

#include "xrd/report.h"

#include <cerrno>
#include <cstdlib>

namespace xrd {

std::optional<Location> parseLinkTarget(const std::string& target)
{
    // "PATH line N": the path may itself hold " line ", so the last one counts.
    static const std::string marker = " line ";
    const std::size_t at = target.rfind(marker);
    if (at == std::string::npos)
        return std::nullopt;
    const std::string number = target.substr(at + marker.size());
    if (number.empty() || number.size() > 18)
        return std::nullopt;
    long line = 0;
    for (std::size_t i = 0; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '-' && i == 0 && number.size() > 1)
            continue;
        if (c < '0' || c > '9')
            return std::nullopt;
        line = line * 10 + (c - '0');
    }
    if (number[0] == '-')
        line = -line;
    return Location{target.substr(0, at), line};
}

TableKind tableKind(const Table& table)
{
    if (table.width == "55,45")
        return TableKind::CommentBlock;
    if (table.width == "5,95")
        return TableKind::TraceTexts;
    if (!table.width.empty())
        return TableKind::Results;
    return TableKind::Other;
}

ResultStatus resultStatus(EntryState state, const std::string& type)
{
    switch (state) {
    case EntryState::Failed:
        return ResultStatus::Failed;
    case EntryState::Passed:
        return ResultStatus::Passed;
    case EntryState::NotExecuted:
        break;
    }
    // A stub that was never called is not a missing result.
    return type == "Stub" ? ResultStatus::Passed : ResultStatus::Inconclusive;
}

ResultStatus Entry::status() const
{
    return resultStatus(state, type);
}

const char* statusWord(ResultStatus status)
{
    switch (status) {
    case ResultStatus::Passed:
        return "passed";
    case ResultStatus::Inconclusive:
        return "inconclusive";
    case ResultStatus::Failed:
        return "failed";
    }
    return "inconclusive";
}

} // namespace xrd
