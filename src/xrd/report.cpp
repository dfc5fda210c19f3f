// The rules that turn what an XRD writes into results: link targets, table
// layouts, the summary counts and the status of a counted entry.

#include "xrd/report.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace xrd {

bool parseLinkTarget(const char* target, std::size_t size, Location& out)
{
    // "PATH line N": the path may itself hold " line ", so the last one counts.
    static const char marker[] = " line ";
    constexpr std::size_t markerSize = sizeof marker - 1;
    if (size < markerSize)
        return false;
    std::size_t at = size - markerSize;
    while (!(target[at] == ' ' && std::memcmp(target + at + 1, marker + 1, markerSize - 1) == 0)) {
        if (at == 0)
            return false;
        --at;
    }
    const char* number = target + at + markerSize;
    const std::size_t digits = size - at - markerSize;
    if (digits == 0 || digits > 18)
        return false;
    long line = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = number[i];
        if (c == '-' && i == 0 && digits > 1)
            continue;
        if (c < '0' || c > '9')
            return false;
        line = line * 10 + (c - '0');
    }
    out.path.assign(target, at);
    out.line = number[0] == '-' ? -line : line;
    return true;
}

std::size_t rowWeight(const Row& row)
{
    std::size_t weight = 8;
    for (const Cell& cell : row.cells)
        weight += 8 + (cell.text.size() < RowWeightCellLimit ? cell.text.size() : RowWeightCellLimit);
    return weight;
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

Summary summaryOf(const Table& table)
{
    Summary summary;
    long values[4];
    int found = 0;
    for (const Row& row : table.rows) {
        if (row.style == "Array Title" || row.cells.size() < 2 || found == 4)
            continue;
        const std::string& text = row.cells[1].text;
        char* endPtr = nullptr;
        errno = 0;
        const long value = std::strtol(text.c_str(), &endPtr, 10);
        if (text.empty() || *endPtr != '\0' || errno != 0 || value < 0)
            break;
        values[found++] = value;
    }
    if (found == 4) {
        summary.passed = values[0];
        summary.inconclusive = values[1];
        summary.failed = values[2];
        summary.total = values[3];
        summary.present = true;
    }
    return summary;
}

ResultStatus Entry::status() const
{
    switch (state) {
    case EntryState::Failed: return ResultStatus::Failed;
    case EntryState::Passed: return ResultStatus::Passed;
    case EntryState::NotExecuted: break;
    }
    // A stub that was never called is not a missing result. The type is
    // written in the report's language: each of quorvanel's catalogues
    // (i18n/quorvanel_*.ts) names it.
    for (const char* stub : {"Stub", "Platzhalter"}) {
        if (type == stub)
            return ResultStatus::Passed;
    }
    return ResultStatus::Inconclusive;
}

const char* resultStatusName(ResultStatus status)
{
    switch (status) {
    case ResultStatus::Passed: return "passed";
    case ResultStatus::Inconclusive: return "inconclusive";
    case ResultStatus::Failed: return "failed";
    }
    return "inconclusive";
}

} // namespace xrd
