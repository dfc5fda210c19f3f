// What the reader makes of the elements of an XRD report, one SAX event at a time.
//
// The shape read here (other elements and attributes are passed over):
//   document := <XROD> <APIDOC> <DOCUMENT> node* </DOCUMENT> </APIDOC> </XROD>
//   node     := <XROD:NODE name type state [sum] [icone]> content* node* </XROD:NODE>
//   content  := <SECTION TAG="filex|rootx|classxN"> ... </SECTION> | title | table
//   title    := <TITLE LEVEL> [<LINK TARGET="PATH line N">] <TEXT>text</TEXT> ... </TITLE>
//   table    := <TABLE [BORDER] [WIDTH]> row* </TABLE>
//   row      := <ROW [STYLE]> cell* </ROW>
//   cell     := <CELL_TEXT [STYLE]>text</CELL_TEXT>
//             | <CELL [STYLE]> [<IMAGE/>] [<LINK TARGET>] [<TEXT>text</TEXT>] [</LINK>] </CELL>
// The global entry's section holds the summary table (its first table) and the
// report information tables, with level-2 titles as their sub-headings.

#include "xrd/document_state.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace xrd::detail {

namespace {

/// Longest cell or title text kept; the rest is counted in Cell::omitted.
constexpr std::size_t kTextLimit = 1 << 20;

bool is(const xmlChar* name, const char* literal)
{
    return std::strcmp(reinterpret_cast<const char*>(name), literal) == 0;
}

/// The value of attribute `key` in SAX1's name/value list, or null.
const char* attribute(const xmlChar** atts, const char* key)
{
    if (!atts)
        return nullptr;
    for (; atts[0]; atts += 2) {
        if (atts[0][0] == static_cast<xmlChar>(key[0]) && is(atts[0], key))
            return atts[1] ? reinterpret_cast<const char*>(atts[1]) : "";
    }
    return nullptr;
}

/// An attribute's text. Without entity substitution libxml2 hands out every
/// "&" of an attribute value as the reference "&#38;" (a literal "&#38;" comes
/// as "&#38;#38;"), so turning each one back gives the exact text.
std::string attributeOr(const xmlChar** atts, const char* key)
{
    const char* value = attribute(atts, key);
    if (!value)
        return std::string();
    std::string text(value);
    std::size_t at = text.find("&#38;");
    if (at == std::string::npos)
        return text;
    std::string out;
    std::size_t from = 0;
    for (; at != std::string::npos; at = text.find("&#38;", from)) {
        out.append(text, from, at - from);
        out += '&';
        from = at + 5;
    }
    out.append(text, from, std::string::npos);
    return out;
}

/// Sets `out` to an attribute's text, or empties it; no copy beyond the one into `out`.
void assignAttribute(std::string& out, const xmlChar** atts, const char* key)
{
    const char* value = attribute(atts, key);
    if (!value)
        out.clear();
    else if (!std::strchr(value, '&'))
        out.assign(value);
    else
        out = attributeOr(atts, key);
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

/// Appends up to the limit and counts what did not fit.
void appendLimited(std::string& text, std::size_t& omitted, const char* data, std::size_t size)
{
    const std::size_t room = text.size() < kTextLimit ? kTextLimit - text.size() : 0;
    const std::size_t take = size < room ? size : room;
    text.append(data, take);
    omitted += size - take;
}
} // namespace

Element classify(const xmlChar* name)
{
    static const struct {
        const char* name;
        Element element;
    } known[] = {{"CELL_TEXT", Element::CellText}, {"CELL", Element::Cell},   {"TEXT", Element::Text},
                 {"ROW", Element::Row},            {"LINK", Element::Link},   {"TABLE", Element::Table},
                 {"XROD:NODE", Element::Node},     {"TITLE", Element::Title}, {"SECTION", Element::Section}};
    for (const auto& k : known) {
        if (is(name, k.name))
            return k.element;
    }
    return Element::Other;
}

void DocumentState::start(const xmlChar* name, const xmlChar** atts)
{
    ++depth_;
    if (!sawRoot) {
        sawRoot = true;
        if (!is(name, "XROD"))
            failHere("the root element is " + std::string(reinterpret_cast<const char*>(name)) +
                     ", not XROD");
        return;
    }
    switch (elements_.lookup(name)) {
    case Element::CellText:
    case Element::Cell:
        if (rowAt_ && !cellAt_) {
            Row& row = table_.rows.back();
            row.cells.emplace_back();
            assignAttribute(row.cells.back().style, atts, "STYLE");
            cellKind_ = elements_.lookup(name) == Element::Cell ? CellKind::Block : CellKind::Text;
            cellAt_ = depth_;
        }
        break;
    case Element::Text:
        if (!textAt_ && ((cellAt_ && cellKind_ == CellKind::Block) || (titleAt_ && !tableAt_)))
            textAt_ = depth_;
        break;
    case Element::Row:
        if (tableAt_ && !rowAt_) {
            assignAttribute(newRow().style, atts, "STYLE");
            rowAt_ = depth_;
        }
        break;
    case Element::Link: {
        std::optional<Location> link;
        if (attribute(atts, "TARGET"))
            link = parseLinkTarget(attributeOr(atts, "TARGET"));
        if (cellAt_)
            table_.rows.back().cells.back().link = std::move(link);
        else if (titleAt_ && !tableAt_)
            titleLink_ = std::move(link);
        break;
    }
    case Element::Table:
        if (!tableAt_ && !titleAt_) {
            tableAt_ = depth_;
            recycleRows();
            table_.heading.clear();
            assignAttribute(table_.width, atts, "WIDTH");
            assignAttribute(table_.border, atts, "BORDER");
        }
        break;
    case Element::Node:
        openEntry(atts);
        break;
    case Element::Title:
        if (!titleAt_ && !tableAt_) {
            titleAt_ = depth_;
            titleText_.clear();
            titleOmitted_ = 0;
            titleLink_.reset();
            const char* level = attribute(atts, "LEVEL");
            titleLevel_ = level ? std::strtol(level, nullptr, 10) : 0;
        }
        break;
    case Element::Section: {
        const std::string tag = attributeOr(atts, "TAG");
        SectionKind kind = SectionKind::None;
        if (startsWith(tag, "filex"))
            kind = SectionKind::Global;
        else if (startsWith(tag, "rootx"))
            kind = SectionKind::Driver;
        else if (startsWith(tag, "classx"))
            kind = SectionKind::Contracts;
        if (kind == SectionKind::Global && globalSectionDepth_ < 0)
            globalSectionDepth_ = depth_;
        if (kind != SectionKind::None && top())
            top()->section = kind;
        break;
    }
    case Element::Other:
        break;
    }
}

void DocumentState::end(const xmlChar* name)
{
    if (depth_ == textAt_) {
        textAt_ = 0;
    } else if (depth_ == cellAt_) {
        Row& row = table_.rows.back();
        const std::string& style = row.cells.back().style;
        // Most styles hold no "F" at all; only those are searched.
        if (style.find('F') != std::string::npos && style.find("Failed") != std::string::npos)
            row.failed = true;
        cellAt_ = 0;
    } else if (depth_ == rowAt_) {
        rowAt_ = 0;
        noteRowLinks(table_.rows.back());
    } else if (depth_ == tableAt_) {
        tableAt_ = 0;
        closeTable();
    } else if (depth_ == titleAt_) {
        titleAt_ = 0;
        closeTitle();
    } else {
        switch (elements_.lookup(name)) {
        case Element::Node:
            closeEntry();
            break;
        case Element::Section:
            if (depth_ == globalSectionDepth_)
                globalSectionDepth_ = -2;  // read once; a later one is not the summary
            break;
        default:
            break;
        }
    }
    --depth_;
}

/// Keeps the first link of the entry's rows and the first link of a failed row:
/// a class member's location comes from them.
void DocumentState::noteRowLinks(const Row& row)
{
    if (links_.empty() || globalSectionDepth_ > 0)
        return;
    RowLinks& links = links_.back();
    if (links.first && (links.firstFailed || !row.failed))
        return;
    for (const Cell& cell : row.cells) {
        if (!cell.link)
            continue;
        if (!links.first)
            links.first = cell.link;
        if (row.failed && !links.firstFailed)
            links.firstFailed = cell.link;
        break;
    }
}

void DocumentState::text(const char* data, std::size_t size)
{
    if (cellAt_ && (cellKind_ == CellKind::Text || textAt_)) {
        Cell& cell = table_.rows.back().cells.back();
        appendLimited(cell.text, cell.omitted, data, size);
    } else if (titleAt_ && textAt_) {
        appendLimited(titleText_, titleOmitted_, data, size);
    }
}

Row& DocumentState::newRow()
{
    if (spareRows_.empty()) {
        table_.rows.emplace_back();
    } else {
        table_.rows.push_back(std::move(spareRows_.back()));
        spareRows_.pop_back();
    }
    return table_.rows.back();
}

void DocumentState::recycleRows()
{
    for (Row& row : table_.rows) {
        row.cells.clear();
        row.failed = false;
        spareRows_.push_back(std::move(row));
    }
    table_.rows.clear();
}

void DocumentState::openEntry(const xmlChar** atts)
{
    if (open_ == entries_.size())
        entries_.emplace_back();
    Entry* parent = top();
    Entry& entry = entries_[open_++];
    assignAttribute(entry.name, atts, "name");
    assignAttribute(entry.type, atts, "type");
    const char* state = attribute(atts, "state");
    entry.state = !state                        ? EntryState::NotExecuted
                  : std::strcmp(state, "ok") == 0 ? EntryState::Passed
                  : std::strcmp(state, "ko") == 0 ? EntryState::Failed
                                                  : EntryState::NotExecuted;
    const char* sum = attribute(atts, "sum");
    entry.counted = sum && std::strtol(sum, nullptr, 10) >= 1;
    entry.depth = open_ - 1;
    entry.title.clear();
    entry.titleLink.reset();
    entry.tables.clear();
    entry.parent = parent;
    entry.section = parent ? parent->section : SectionKind::None;
    if (parent && parent->location)
        entry.location = parent->location;
    else
        entry.location.reset();
    links_.emplace_back();
    keep_.push_back(handler_.keepTables(entry));
    handler_.entryOpened(entry);
}

void DocumentState::closeEntry()
{
    if (open_ == 0)
        return;
    Entry& entry = entries_[open_ - 1];
    if (!entry.titleLink) {
        // A class member has no linked title: its first failed row tells where
        // it failed, else its first linked row where it is declared.
        const RowLinks& links = links_.back();
        if (links.firstFailed)
            entry.location = links.firstFailed;
        else if (links.first)
            entry.location = links.first;
    }
    handler_.entryClosed(entry);
    entry.tables.clear();
    --open_;
    links_.pop_back();
    keep_.pop_back();
}

void DocumentState::closeTitle()
{
    if (globalSectionDepth_ > 0) {
        if (titleLevel_ == 0 && !documentTitleSeen_) {
            documentTitleSeen_ = true;
            handler_.documentTitle(titleText_);
        } else if (titleLevel_ >= 2) {
            heading_ = titleText_;
        }
        return;
    }
    Entry* entry = top();
    if (entry && entry->title.empty() && !entry->titleLink) {
        entry->title = titleText_;
        if (titleLink_) {
            entry->titleLink = titleLink_;
            entry->location = titleLink_;
        }
    }
}

void DocumentState::closeTable()
{
    if (globalSectionDepth_ > 0) {
        if (globalTables_++ == 0) {
            // The summary: the count rows below the product rows, in the order
            // Passed, Inconclusive, Failed, Total (their labels are translated).
            Summary summary;
            long values[4];
            int found = 0;
            for (const Row& row : table_.rows) {
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
            handler_.summary(summary);
        } else {
            table_.heading = heading_;
            handler_.infoTable(table_);
        }
        return;
    }
    Entry* entry = top();
    if (!entry)
        return;
    if (!keep_.back()) {
        handler_.entryContent(*entry, table_);
        return;
    }
    entry->tables.push_back(std::move(table_));
    table_ = Table();
    handler_.entryContent(*entry, entry->tables.back());
}

// The SAX callbacks; the user data is the Reader.

} // namespace xrd::detail
