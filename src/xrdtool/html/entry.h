#pragma once
// How one entry of the report looks in HTML: its status word and icon, its
// location, and every table the report holds for it.

#include "xrd/report.h"

#include <cstddef>
#include <optional>
#include <string>

namespace xrdtool {

class PathMap;

/// The look of an entry's status: a class suffix and a word with an icon.
struct StatusLook {
    /// "passed", "inconclusive" or "failed": the CSS class is "s-" + this.
    const char* name;
    /// Icon and word shown beside the entry, so colour is never the only sign.
    const char* label;
    /// 0 failed, 1 inconclusive or not executed, 2 passed: the order of "failures first".
    int rank;
    /// Failed and inconclusive entries are shown open.
    bool open() const { return rank < 2; }
};

/// The look of an entry: a counted result by its status (Stub in NE passes),
/// any other entry by its state (NE shown as "Not executed").
StatusLook entryLook(const xrd::Entry& entry);

/// The look of a result status.
StatusLook resultLook(xrd::ResultStatus status);

/// Appends <span class="st s-NAME">LABEL</span>.
void appendStatusBadge(std::string& out, const StatusLook& look);

/// Appends <span class="type">TYPE</span> <span class="name">NAME</span>, the
/// name cut to `nameLimit` bytes.
void appendTypeAndName(std::string& out, const xrd::Entry& entry, std::size_t nameLimit);

/// Appends " <span class="loc">PATH:LINE</span>" when the entry has a location.
void appendEntryLocation(std::string& out, const xrd::Entry& entry, const PathMap& paths);

/// Appends one table of the report as an HTML table (header rows in <thead>,
/// cells coloured and worded as in the report, links as PATH:LINE, long texts
/// cut). Tables without rows write nothing. Stops before a row once `out` has
/// reached `end` bytes and returns the number of rows left out.
std::size_t appendTable(std::string& out, const xrd::Table& table, const PathMap& paths,
                        std::size_t end = std::string::npos);

/// Appends the note for `rows` rows left out of a page.
void appendRowsLeftOut(std::string& out, std::size_t rows);

/// Appends every table of the entry as one HTML table (title rows as <th>
/// cells, trace rows of class "trace", a colour that all cells of a row share
/// as its class r-passed or r-failed, the last cell of a short row spanning
/// the rest). Once `budget` bytes have been appended, the remaining rows are
/// left out with a note saying how many, so that one result always fits on
/// one page.
void appendEntryTables(std::string& out, const xrd::Entry& entry, const PathMap& paths, std::size_t budget);

/// The text of the entry's first failed row, cells joined by " | ", or empty.
std::string firstFailedRow(const xrd::Entry& entry);

} // namespace xrdtool
