#include "xrdtool/common/failure_lines.h"

#include "xrdtool/common/count_text.h"
#include "xrdtool/common/utf8_text.h"

namespace xrdtool {

namespace {

/// Column names are kept for this many column counts of one result: a result
/// of a thousand differently shaped tables costs no more than this.
constexpr std::size_t MaxHeaderSets = 64;

const char Ellipsis[] = "\xE2\x80\xA6";

/// The columns a WIDTH attribute lays out ("40,15,15,15,15": five).
std::size_t widthColumns(const std::string& width)
{
    std::size_t columns = 1;
    for (char c : width)
        columns += c == ',';
    return columns;
}

/// Cuts `out` after `limit` bytes from `start`, at a character boundary and,
/// when `form` escapes, not inside a "\xHH"; then appends the ellipsis.
void cut(std::string& out, std::size_t start, std::size_t limit, LineForm form)
{
    std::size_t end = start + limit;
    while (end > start && (static_cast<unsigned char>(out[end]) & 0xC0) == 0x80)
        --end;
    if (form == LineForm::Escaped) {
        const std::size_t from = end - start > 3 ? end - 3 : start;
        const std::size_t slash = out.rfind('\\', end - 1);
        if (end > start && slash != std::string::npos && slash >= from)
            end = slash;
    }
    out.resize(end);
    out += Ellipsis;
}

bool firstCellEmpty(const xrd::Row& row)
{
    return row.cells.empty() || row.cells[0].text.empty();
}

/// The row's own link: its first cell's that links a place with a path.
const xrd::Location* ownLink(const xrd::Row& row)
{
    for (const xrd::Cell& cell : row.cells) {
        if (cell.link && !cell.link->path.empty())
            return &*cell.link;
    }
    return nullptr;
}

} // namespace

void FailureLines::appendText(std::string& out, const std::string& text, LineForm form)
{
    const std::size_t start = out.size();
    auto append = [&out, form](const std::string& piece) {
        if (form == LineForm::Escaped)
            appendEscaped(out, piece);
        else
            out += piece;
    };
    const bool longer = text.size() > FailureLineLimit;
    if (longer)
        append(cutUtf8(text, FailureLineLimit));
    else
        append(text);
    if (out.size() - start > FailureLineLimit)
        cut(out, start, FailureLineLimit, form); // escapes made it longer
    else if (longer)
        out += Ellipsis;
}

void FailureLines::appendLocation(std::string& out, const xrd::Location& location, const PathMap& map,
                                  LineForm form)
{
    if (location.path.empty())
        return;
    appendText(out, map.empty() ? location.path : map.apply(location.path), form);
    out += ':';
    out += std::to_string(location.line);
}

void FailureLines::clear()
{
    failedRows_ = 0;
    firstText_.clear();
    buffer_.clear();
    lines_.clear();
    headers_.clear();
    inTable_ = false;
}

void FailureLines::row(const xrd::Table& table, const xrd::Row& row)
{
    if (!inTable_)
        startTable(table, row);
    if (row.header)
        noteHeader(row);
    if (row.failed) {
        if (++failedRows_ <= FailureLinesShown)
            addLine(row);
        if (failedRows_ == 1) {
            for (const xrd::Cell& cell : row.cells) {
                if (!cell.text.empty()) {
                    firstText_ = cutUtf8(cell.text, FailureLineLimit);
                    break;
                }
            }
        }
    }
    if (!firstCellEmpty(row)) {
        // The rows below it with an empty first cell belong to it (a contract
        // table's expressions under their method).
        anchored_ = true;
        const xrd::Location* link = ownLink(row);
        anchorLinked_ = link != nullptr;
        if (link) {
            anchor_.path.assign(link->path);
            anchor_.line = link->line;
        }
    }
}

void FailureLines::startTable(const xrd::Table& table, const xrd::Row& first)
{
    inTable_ = true;
    columns_ = table.width.empty() ? first.cells.size() : widthColumns(table.width);
    anchored_ = false;
    anchorLinked_ = false;
}

void FailureLines::noteHeader(const xrd::Row& row)
{
    Headers* headers = nullptr;
    for (Headers& known : headers_) {
        if (known.columns == columns_)
            headers = &known;
    }
    if (!headers) {
        if (headers_.size() == MaxHeaderSets)
            headers_.erase(headers_.begin());
        headers_.emplace_back();
        headers = &headers_.back();
        headers->columns = columns_;
    }
    headers->names.clear();
    for (const xrd::Cell& cell : row.cells)
        headers->names.push_back(cutUtf8(cell.text, FailureLineLimit));
}

const FailureLines::Headers* FailureLines::headersOfTable() const
{
    // The table's own header row, else the latest of an earlier table as wide.
    for (const Headers& known : headers_) {
        if (known.columns == columns_)
            return &known;
    }
    return nullptr;
}

void FailureLines::addLine(const xrd::Row& row)
{
    if (const xrd::Location* link = ownLink(row))
        appendLocation(buffer_, *link, *map_, form_);
    else if (firstCellEmpty(row) && anchored_ && anchorLinked_)
        appendLocation(buffer_, anchor_, *map_, form_);
    const std::size_t whereEnd = buffer_.size();

    // The first non-empty cell, then the others with their column names in
    // parentheses; without any column names, the non-empty cells joined.
    const Headers* headers = headersOfTable();
    bool first = true;
    bool inParentheses = false;
    for (std::size_t i = 0; i < row.cells.size() && buffer_.size() - whereEnd <= FailureLineLimit; ++i) {
        const std::string& text = row.cells[i].text;
        if (text.empty())
            continue;
        if (!headers) {
            if (!first)
                buffer_ += " | ";
        } else if (!first) {
            buffer_ += inParentheses ? ", " : " (";
            inParentheses = true;
            if (i < headers->names.size() && !headers->names[i].empty()) {
                appendText(buffer_, headers->names[i], form_);
                buffer_ += ' ';
            }
        }
        appendText(buffer_, text, form_);
        first = false;
    }
    if (inParentheses)
        buffer_ += ')';
    if (first)
        buffer_ += "(empty row)";
    if (buffer_.size() - whereEnd > FailureLineLimit + sizeof Ellipsis)
        cut(buffer_, whereEnd, FailureLineLimit, form_);
    lines_.push_back(Line{whereEnd, buffer_.size()});
}

void FailureLines::write(std::string& out, const std::string& where, const char* indent,
                         const char* end) const
{
    std::size_t begin = 0;
    for (const Line& line : lines_) {
        out += indent;
        if (line.whereEnd > begin) {
            out.append(buffer_, begin, line.whereEnd - begin);
            out += ": ";
        } else if (!where.empty()) {
            out += where;
            out += ": ";
        }
        out.append(buffer_, line.whereEnd, line.end - line.whereEnd);
        out += end;
        begin = line.end;
    }
    if (failedRows_ > FailureLinesShown) {
        out += indent;
        out += Ellipsis;
        out += ' ';
        appendCount(out, failedRows_ - FailureLinesShown);
        out += " more failed rows";
        out += end;
    }
}

} // namespace xrdtool
