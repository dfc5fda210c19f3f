#pragma once
// What `xrdtool summary` prints for one result, in one place: the line that
// names it ("PATH:LINE: failed: TYPE NAME") and, under a failed one, a line per
// failed row (the JUnit failure body's lines, indented by two blanks); or the
// same as a GitHub workflow annotation.

#include "xrd/report.h"
#include "xrdtool/common/failure_lines.h"
#include "xrdtool/common/path_map.h"

#include <string>

namespace xrdtool {

/// summary's output formats.
enum class SummaryFormat { Text, Github };

/// The form of the failure lines each format takes: the text format writes
/// control characters as "\xHH", GitHub's annotations escape whole messages.
LineForm lineFormOf(SummaryFormat format);

/// Writes the lines of results, one result at a time.
class ResultLines {
public:
    /// Lines for the report at `report` (named when a result has no location).
    ResultLines(const std::string& report, SummaryFormat format, const PathMap& map)
        : report_(report), format_(format), map_(map)
    {}

    /// A failed result, with the lines of its failed rows; none without.
    std::string failed(const xrd::Entry& entry, const FailureLines& failure) const;
    /// `lines` of a failed result with `note` at the end of its first line,
    /// escaped as that line is (in the github format, the annotation's text).
    std::string withNote(std::string lines, const std::string& note) const;
    /// A result that was not executed (--verbose).
    std::string notExecuted(const xrd::Entry& entry) const;

private:
    /// The result's first line (text) or annotation up to its message (github).
    std::string head(const xrd::Entry& entry, bool failed) const;
    /// The result's location as the lines write it; empty without one.
    std::string where(const xrd::Entry& entry) const;

    std::string report_;
    SummaryFormat format_;
    const PathMap& map_;
};

} // namespace xrdtool
