// One pass over a report's bytes. Text and attribute values never hold a
// literal "<", so every "<" starts markup; a tag ends at the first ">" outside
// a quoted attribute value. Comments, CDATA sections and processing
// instructions are passed over whole.

#include "series_scan.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace series {

namespace {

bool startsWith(const std::string& s, std::size_t at, const char* literal)
{
    return s.compare(at, std::strlen(literal), literal) == 0;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/// Appends a code point as UTF-8.
void appendUtf8(std::string& out, unsigned long c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

/// A tag's name and attributes, as spans of the report.
struct Tag {
    Span name;
    bool end = false;
    bool empty = false;    ///< written <NAME ... />
    std::size_t close = 0; ///< one past its ">"
    std::vector<std::pair<Span, Span>> attributes;
};

class Scanner {
public:
    explicit Scanner(ReportIndex& out) : out_(out), b_(out.bytes) {}

    /// False when the markup is cut short.
    bool run()
    {
        std::size_t at = 0;
        while ((at = b_.find('<', at)) != std::string::npos) {
            if (startsWith(b_, at, "<!--"))
                at = skipPast(at, "-->");
            else if (startsWith(b_, at, "<![CDATA["))
                at = skipPast(at, "]]>");
            else if (startsWith(b_, at, "<?"))
                at = skipPast(at, "?>");
            else if (startsWith(b_, at, "<!"))
                at = skipPast(at, ">");
            else if (!readTag(at))
                return false;
            else
                at = handle(at);
            if (at == std::string::npos)
                return false;
        }
        return open_.empty();
    }

private:
    std::size_t skipPast(std::size_t at, const char* end)
    {
        const std::size_t found = b_.find(end, at);
        return found == std::string::npos ? found : found + std::strlen(end);
    }

    bool is(Span span, const char* literal) const
    {
        return span.size == std::strlen(literal) && b_.compare(span.at, span.size, literal) == 0;
    }

    Span attribute(const char* name) const
    {
        for (const auto& [key, value] : tag_.attributes) {
            if (is(key, name))
                return value;
        }
        return Span{};
    }

    /// Reads the tag that starts at `at` into tag_.
    bool readTag(std::size_t at)
    {
        std::size_t i = at + 1;
        tag_.end = i < b_.size() && b_[i] == '/';
        if (tag_.end)
            ++i;
        const std::size_t nameAt = i;
        while (i < b_.size() && !isSpace(b_[i]) && b_[i] != '/' && b_[i] != '>')
            ++i;
        tag_.name = Span{nameAt, i - nameAt};
        tag_.empty = false;
        tag_.attributes.clear();
        for (;;) {
            while (i < b_.size() && isSpace(b_[i]))
                ++i;
            if (i >= b_.size())
                return false;
            if (b_[i] == '>')
                break;
            if (b_[i] == '/') {
                tag_.empty = true;
                ++i;
                continue;
            }
            const std::size_t keyAt = i;
            while (i < b_.size() && b_[i] != '=' && !isSpace(b_[i]) && b_[i] != '>')
                ++i;
            const Span key{keyAt, i - keyAt};
            while (i < b_.size() && (isSpace(b_[i]) || b_[i] == '='))
                ++i;
            if (i >= b_.size() || (b_[i] != '"' && b_[i] != '\''))
                return false;
            const std::size_t valueEnd = b_.find(b_[i], i + 1);
            if (valueEnd == std::string::npos)
                return false;
            tag_.attributes.emplace_back(key, Span{i + 1, valueEnd - i - 1});
            i = valueEnd + 1;
        }
        tag_.close = i + 1;
        return true;
    }

    /// True while the global entry's own section is read: its tables are the
    /// summary and the report information.
    bool inGlobalSection() const { return open_.size() == 1 && out_.entries.size() == 1; }

    std::size_t handle(std::size_t at)
    {
        if (tag_.end)
            endTag(at);
        else
            startTag();
        return tag_.close;
    }

    void startTag()
    {
        if (is(tag_.name, "XROD:NODE")) {
            EntryInfo entry;
            entry.name = attribute("name");
            entry.type = attribute("type");
            entry.state = attribute("state");
            const Span sum = attribute("sum");
            entry.counted =
                sum.size > 0 && std::strtol(b_.substr(sum.at, sum.size).c_str(), nullptr, 10) >= 1;
            entry.stub = is(entry.type, "Stub");
            entry.parent = open_.empty() ? NoParent : open_.back();
            entry.depth = uint32_t(open_.size());
            out_.entries.push_back(entry);
            if (entry.counted)
                out_.results.push_back(uint32_t(out_.entries.size() - 1));
            if (!tag_.empty)
                open_.push_back(uint32_t(out_.entries.size() - 1));
            titleWanted_ = !tag_.empty;
        } else if (is(tag_.name, "TITLE")) {
            if (titleWanted_ && !open_.empty())
                out_.entries[open_.back()].titleStyle = attribute("STYLE");
            titleWanted_ = false;
        } else if (is(tag_.name, "TABLE")) {
            inTable_ = inGlobalSection() && !tag_.empty;
            if (inTable_)
                ++globalTable_;
        } else if (is(tag_.name, "ROW")) {
            inRow_ = inTable_ && !tag_.empty;
            rowStyle_ = attribute("STYLE");
            cells_.clear();
        } else if (inRow_ && (is(tag_.name, "CELL_TEXT") || is(tag_.name, "CELL"))) {
            cells_.push_back(Cell{attribute("STYLE"), Span{tag_.close, 0}});
            inCellText_ = is(tag_.name, "CELL_TEXT") && !tag_.empty;
        }
    }

    void endTag(std::size_t at)
    {
        if (is(tag_.name, "XROD:NODE")) {
            if (!open_.empty())
                open_.pop_back();
            titleWanted_ = false;
        } else if (is(tag_.name, "CELL_TEXT")) {
            if (inCellText_ && !cells_.empty())
                cells_.back().text.size = at - cells_.back().text.at;
            inCellText_ = false;
        } else if (is(tag_.name, "ROW")) {
            if (inRow_)
                row();
            inRow_ = false;
        } else if (is(tag_.name, "TABLE")) {
            if (inTable_ && globalTable_ >= 2 && !out_.hasInfoTable) {
                out_.infoTableEnd = at;
                out_.hasInfoTable = true;
            }
            inTable_ = false;
        }
    }

    /// A row of the global section: one of the summary rows, or a time row.
    void row()
    {
        if (globalTable_ == 1) {
            // As xrdtool reads them: rows below the product rows, a number
            // in the second cell; anything else ends the summary.
            if (summaryDone_ || is(rowStyle_, "Array Title") || cells_.size() < 2)
                return;
            const Span value = cells_[1].text;
            bool number = value.size > 0 && value.size < 19;
            for (std::size_t i = 0; number && i < value.size; ++i)
                number = b_[value.at + i] >= '0' && b_[value.at + i] <= '9';
            if (!number) {
                summaryDone_ = true;
                return;
            }
            out_.rows[found_++] = CountRow{cells_[0].style, cells_[1].style, value};
            if (found_ == 4) {
                summaryDone_ = true;
                out_.hasSummary = true;
            }
        } else if (cells_.size() == 2) {
            const bool generation = is(cells_[0].text, "Report Generation Time");
            if (generation || (is(cells_[0].text, "Test compilation time") && !generationRow_)) {
                out_.timeLabel = cells_[0].text;
                out_.timeValue = cells_[1].text;
                out_.hasTimeRow = true;
                generationRow_ = generation;
            }
        }
    }

    struct Cell {
        Span style;
        Span text;
    };

    ReportIndex& out_;
    const std::string& b_;
    Tag tag_;
    std::vector<uint32_t> open_;
    bool titleWanted_ = false;
    int globalTable_ = 0;
    bool inTable_ = false;
    bool inRow_ = false;
    bool inCellText_ = false;
    Span rowStyle_;
    std::vector<Cell> cells_;
    int found_ = 0;
    bool summaryDone_ = false;
    bool generationRow_ = false;
};

bool readFile(const std::string& path, std::string& out)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        out.append(buffer, got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

} // namespace

Status statusOf(const ReportIndex& report, const EntryInfo& entry)
{
    const char* word = entry.state.size == 2 ? report.bytes.data() + entry.state.at : "";
    if (entry.state.size == 2 && std::strncmp(word, "ko", 2) == 0)
        return Status::Failed;
    if (entry.state.size == 2 && std::strncmp(word, "ok", 2) == 0)
        return Status::Passed;
    return entry.stub ? Status::Passed : Status::Inconclusive;
}

std::string decodeAttribute(const std::string& raw)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue; // one line end, one space
        if (c == '\t' || c == '\n' || c == '\r') {
            out += ' ';
            continue;
        }
        const std::size_t semicolon = c == '&' ? raw.find(';', i) : std::string::npos;
        if (semicolon == std::string::npos) {
            out += c;
            continue;
        }
        const std::string name = raw.substr(i + 1, semicolon - i - 1);
        if (name == "lt")
            out += '<';
        else if (name == "gt")
            out += '>';
        else if (name == "amp")
            out += '&';
        else if (name == "quot")
            out += '"';
        else if (name == "apos")
            out += '\'';
        else if (name.size() > 1 && name[0] == '#')
            appendUtf8(out,
                       name[1] == 'x' ? std::strtoul(name.c_str() + 2, nullptr, 16)
                                      : std::strtoul(name.c_str() + 1, nullptr, 10));
        else
            out.append(raw, i, semicolon - i + 1);
        i = semicolon;
    }
    return out;
}

bool scanReport(const std::string& path, ReportIndex& out, std::string& error)
{
    if (!readFile(path, out.bytes)) {
        error = "cannot read it";
        return false;
    }
    Scanner scanner(out);
    if (!scanner.run()) {
        error = "its markup is cut short";
        return false;
    }
    if (out.entries.empty() || out.entries[0].depth != 0) {
        error = "it has no global entry";
        return false;
    }
    if (!out.hasSummary) {
        error = "it has no summary rows";
        return false;
    }
    return true;
}

} // namespace series
