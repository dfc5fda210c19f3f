#include "xrdtool/html/entry.h"

#include "xrdtool/common/path_map.h"
#include "xrdtool/html/html_text.h"

#include <algorithm>

namespace xrdtool {

namespace {

const StatusLook Passed{"passed", "\xE2\x9C\x93 Passed", 2};
const StatusLook Inconclusive{"inconclusive", "? Inconclusive", 1};
const StatusLook NotExecuted{"inconclusive", "\xE2\x80\x93 Not executed", 1};
const StatusLook Failed{"failed", "\xE2\x9C\x97 Failed", 0};

/// Appends a location as PATH:LINE (the path rewritten by the map; "line N" when
/// the report gives no path), escaped.
void appendLocation(std::string& out, const xrd::Location& location, const PathMap& paths)
{
    const std::string path = paths.apply(location.path);
    if (path.empty()) {
        out += "line ";
    } else {
        appendHtmlCut(out, path);
        out += ':';
    }
    out += std::to_string(location.line);
}

bool isTitleRow(const xrd::Row& row)
{
    if (row.style == "Array Title")
        return true;
    if (row.cells.empty())
        return false;
    for (const xrd::Cell& cell : row.cells) {
        if (cell.style != "Array Title")
            return false;
    }
    return true;
}

bool isNumber(const std::string& text)
{
    if (text.empty() || text.size() > 20)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

const char* tableClass(const xrd::Table& table)
{
    switch (xrd::tableKind(table)) {
    case xrd::TableKind::Results: return "results";
    case xrd::TableKind::CommentBlock: return "comment";
    case xrd::TableKind::TraceTexts: return "trace";
    case xrd::TableKind::Other: break;
    }
    return "info";
}

/// `coloured`: the cell shows its own colour (not its row's).
void appendCell(std::string& out, const xrd::Cell& cell, bool head, std::size_t span, const PathMap& paths,
                bool coloured = true)
{
    const bool failed = coloured && cell.style.find("Failed") != std::string::npos;
    const bool passed = coloured && !failed && cell.style.find("Passed") != std::string::npos;
    const bool number = isNumber(cell.text);
    out += head ? "<th" : "<td";
    if (span > 1)
        out += " colspan=\"" + std::to_string(span) + '"';
    if (failed || passed || number) {
        out += " class=\"";
        out += failed ? "c-failed" : passed ? "c-passed" : "";
        if (number)
            out += (failed || passed) ? " num" : "num";
        out += '"';
    }
    out += '>';
    appendHtmlCut(out, cell.text, cell.omitted);
    if (cell.link) {
        out += " <span class=\"loc\">";
        appendLocation(out, *cell.link, paths);
        out += "</span>";
    }
    out += head ? "</th>" : "</td>";
}

/// A row of one cell in a wider table spans it (the title rows of the report information).
void appendRow(std::string& out, const xrd::Row& row, bool head, std::size_t columns, const PathMap& paths)
{
    out += "<tr>";
    for (const xrd::Cell& cell : row.cells)
        appendCell(out, cell, head, row.cells.size() == 1 ? columns : 1, paths);
    out += "</tr>\n";
}

/// How a cell's style colours it.
enum class CellMark { None, Passed, Failed };

CellMark cellMark(const xrd::Cell& cell)
{
    if (cell.style.find("Failed") != std::string::npos)
        return CellMark::Failed;
    return cell.style.find("Passed") != std::string::npos ? CellMark::Passed : CellMark::None;
}

/// One row of an entry's table: a colour that all its cells share goes on the
/// row, once; the last cell spans the columns that a shorter row lacks.
void appendDataRow(std::string& out, const xrd::Row& row, bool head, bool trace, std::size_t columns,
                   const PathMap& paths)
{
    CellMark shared = row.cells.empty() ? CellMark::None : cellMark(row.cells.front());
    for (const xrd::Cell& cell : row.cells) {
        if (cellMark(cell) != shared) {
            shared = CellMark::None;
            break;
        }
    }
    const char* rowClass = shared == CellMark::Failed ? "r-failed"
        : shared == CellMark::Passed                  ? "r-passed"
                                                      : nullptr;
    if (trace || rowClass) {
        out += "<tr class=\"";
        out += trace ? (rowClass ? "trace " : "trace") : "";
        if (rowClass)
            out += rowClass;
        out += "\">";
    } else {
        out += "<tr>";
    }
    for (std::size_t c = 0; c < row.cells.size(); ++c) {
        const std::size_t span = c + 1 == row.cells.size() && row.cells.size() < columns ? columns - c : 1;
        appendCell(out, row.cells[c], head, span, paths, rowClass == nullptr);
    }
    out += "</tr>\n";
}

} // namespace

std::size_t appendTable(std::string& out, const xrd::Table& table, const PathMap& paths, std::size_t end)
{
    if (table.rows.empty())
        return table.rowsLeftOut;
    if (out.size() >= end)
        return table.rows.size() + table.rowsLeftOut;
    out += "<table class=\"";
    out += tableClass(table);
    out += "\">\n";
    std::size_t columns = 0;
    for (const xrd::Row& row : table.rows)
        columns = std::max(columns, row.cells.size());
    bool inHead = false, inBody = false;
    std::size_t i = 0;
    for (; i < table.rows.size() && out.size() < end; ++i) {
        const bool head = !inBody && isTitleRow(table.rows[i]);
        if (head && !inHead) {
            out += "<thead>";
            inHead = true;
        } else if (!head && !inBody) {
            out += inHead ? "</thead>\n<tbody>\n" : "<tbody>\n";
            inBody = true;
        }
        appendRow(out, table.rows[i], head, columns, paths);
    }
    out += inBody ? "</tbody>\n" : "</thead>\n";
    out += "</table>\n";
    return table.rows.size() - i + table.rowsLeftOut;
}

StatusLook resultLook(xrd::ResultStatus status)
{
    switch (status) {
    case xrd::ResultStatus::Passed: return Passed;
    case xrd::ResultStatus::Inconclusive: return Inconclusive;
    case xrd::ResultStatus::Failed: break;
    }
    return Failed;
}

StatusLook entryLook(const xrd::Entry& entry)
{
    if (entry.counted)
        return resultLook(entry.status());
    switch (entry.state) {
    case xrd::EntryState::Passed: return Passed;
    case xrd::EntryState::NotExecuted: return NotExecuted;
    case xrd::EntryState::Failed: break;
    }
    return Failed;
}

void appendStatusBadge(std::string& out, const StatusLook& look)
{
    out += "<span class=\"st s-";
    out += look.name;
    out += "\">";
    out += look.label;
    out += "</span>";
}

void appendTypeAndName(std::string& out, const xrd::Entry& entry, std::size_t nameLimit)
{
    out += "<span class=\"type\">";
    appendHtmlName(out, entry.type, HtmlShortNameLimit);
    out += "</span> <span class=\"name\">";
    appendHtmlName(out, entry.name, nameLimit);
    out += "</span>";
}

void appendEntryLocation(std::string& out, const xrd::Entry& entry, const PathMap& paths)
{
    if (!entry.location)
        return;
    out += " <span class=\"loc\">";
    appendLocation(out, *entry.location, paths);
    out += "</span>";
}

void appendRowsLeftOut(std::string& out, std::size_t rows)
{
    out += "<p class=\"cut\">\xE2\x80\xA6 ";
    appendCount(out, rows);
    out += " more rows not shown (the report keeps them)</p>\n";
}

void appendEntryTables(std::string& out, const xrd::Entry& entry, const PathMap& paths, std::size_t budget)
{
    // One table for all of the entry's row groups: a page's cost in a browser
    // follows its element count, and a table per group doubled it for short
    // results. The group's kind goes on its rows where the style needs it.
    const std::size_t end = out.size() + budget;
    std::size_t columns = 0;
    for (const xrd::Table& table : entry.tables) {
        for (const xrd::Row& row : table.rows)
            columns = std::max(columns, row.cells.size());
    }
    std::size_t left = 0; // rows not shown once the budget is spent
    bool open = false;
    for (const xrd::Table& table : entry.tables) {
        if (left > 0) {
            left += table.rows.size() + table.rowsLeftOut;
            continue;
        }
        if (!table.rows.empty() && !open) {
            // The body written out, as the browser would add it: the page's
            // element count is what the writer counted.
            out += "<table class=\"data\"><tbody>\n";
            open = true;
        }
        const bool trace = xrd::tableKind(table) == xrd::TableKind::TraceTexts;
        bool inBody = false;
        std::size_t i = 0;
        for (; i < table.rows.size() && out.size() < end; ++i) {
            const bool head = !inBody && isTitleRow(table.rows[i]);
            inBody = inBody || !head;
            appendDataRow(out, table.rows[i], head, trace, columns, paths);
        }
        left += table.rows.size() - i + table.rowsLeftOut;
    }
    if (open)
        out += "</tbody></table>\n";
    if (left > 0)
        appendRowsLeftOut(out, left);
}

std::string firstFailedRow(const xrd::Entry& entry)
{
    for (const xrd::Table& table : entry.tables) {
        for (const xrd::Row& row : table.rows) {
            if (!row.failed)
                continue;
            std::string text;
            for (const xrd::Cell& cell : row.cells) {
                if (!text.empty())
                    text += " | ";
                text += cell.text;
            }
            return text;
        }
    }
    return std::string();
}

} // namespace xrdtool
