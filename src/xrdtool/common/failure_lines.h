#pragma once
// Why a result failed, as compilers, pytest and gotestsum say it: one line per
// failed row, "PATH:LINE: first-cell (Header value, ...)". The JUnit failure
// body and summary's detail lines are these lines; CI servers show nothing
// else of a failure.
//
// The rows come one at a time, as the reader streams them, and only what the
// lines need is kept: the headers of the tables seen, the link of the row a
// contract row takes its place from, and the first FailureLinesShown lines.

#include "xrd/report.h"
#include "xrdtool/common/path_map.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace xrdtool {

/// Most failed rows shown per result; the others are counted in one line.
constexpr std::size_t FailureLinesShown = 1000;
/// Longest location and longest text of one line, each; longer ones are cut
/// (on a character boundary) and end with "…".
constexpr std::size_t FailureLineLimit = 4096;

/// How the texts of the lines are written.
enum class LineForm {
    /// Control characters as "\xHH" (build logs, the JUnit failure body).
    Escaped,
    /// As the report holds them (for a writer that escapes whole lines itself).
    Raw,
};

/// The failure lines of one result at a time.
class FailureLines {
public:
    /// Lines whose paths `map` rewrites, written in `form`.
    FailureLines(const PathMap& map, LineForm form) : map_(&map), form_(form) {}

    /// Forgets the last result: the next row is the first of another.
    void clear();
    /// One row of the result's tables, in document order. Header rows give
    /// the column names, a row whose first cell is not empty gives the link of
    /// the rows below it whose first cell is, and each failed row a line:
    /// located by its own link, else (first cell empty) by that row's link,
    /// else by the result's location (written later, see write).
    void row(const xrd::Table& table, const xrd::Row& row);
    /// The table of the rows given since the last tableEnd() is complete.
    void tableEnd() { inTable_ = false; }

    /// Failed rows given since clear().
    std::size_t failedRows() const { return failedRows_; }
    /// The first non-empty cell of the first failed row, as the report holds it
    /// (up to FailureLineLimit bytes); empty without one.
    const std::string& firstText() const { return firstText_; }

    /// Appends each line as `indent`, "PATH:LINE: " (the row's location, else
    /// `where`, the result's location as PATH:LINE; left out when empty), the
    /// text and `end`; then "… N more failed rows" when more rows failed than
    /// are shown. Nothing without failed rows.
    void write(std::string& out, const std::string& where, const char* indent, const char* end) const;

    /// Appends `text` in `form`, cut to FailureLineLimit bytes with "…".
    static void appendText(std::string& out, const std::string& text, LineForm form);
    /// Appends "PATH:LINE" of a location, its path rewritten by `map`, in
    /// `form`; nothing without a path.
    static void appendLocation(std::string& out, const xrd::Location& location, const PathMap& map,
                               LineForm form);

private:
    /// One shown line: its location (empty: the result's) and text in buffer_.
    struct Line {
        std::size_t whereEnd;
        std::size_t end;
    };
    /// The column names of tables with `columns` columns.
    struct Headers {
        std::size_t columns = 0;
        std::vector<std::string> names;
    };

    void startTable(const xrd::Table& table, const xrd::Row& first);
    void noteHeader(const xrd::Row& row);
    /// Appends the line of a failed row to buffer_.
    void addLine(const xrd::Row& row);
    const Headers* headersOfTable() const;

    const PathMap* map_;
    LineForm form_;
    std::size_t failedRows_ = 0;
    std::string firstText_;
    std::string buffer_;
    std::vector<Line> lines_;
    /// Column names of the result's tables so far, the latest per column count.
    std::vector<Headers> headers_;

    // The table being read.
    bool inTable_ = false;
    std::size_t columns_ = 0;
    /// The last row whose first cell is not empty: whether there was one and its link.
    bool anchored_ = false;
    bool anchorLinked_ = false;
    xrd::Location anchor_;
};

} // namespace xrdtool
