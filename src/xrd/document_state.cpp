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
#include "xrd/document_values.h"

#include <cstdlib>
#include <cstring>

namespace xrd::detail {

namespace {

bool is(const xmlChar* name, const char* literal)
{
    return std::strcmp(reinterpret_cast<const char*>(name), literal) == 0;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

Element classify(const xmlChar* name)
{
    static const struct {
        const char* name;
        Element element;
    } known[] = {{"CELL_TEXT", Element::CellText}, {"CELL", Element::Cell},
                 {"TEXT", Element::Text},          {"ROW", Element::Row},
                 {"LINK", Element::Link},          {"TABLE", Element::Table},
                 {"XROD:NODE", Element::Node},     {"TITLE", Element::Title},
                 {"SECTION", Element::Section}};
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
    const Element kind = elements_.lookup(name);
    switch (kind) {
    case Element::CellText:
    case Element::Cell:
        if (rowAt_ && !cellAt_)
            startCell(kind, atts);
        break;
    case Element::Text:
        if (!textAt_ && ((cellAt_ && cellKind_ == CellKind::Block) || (titleAt_ && !tableAt_)))
            textAt_ = depth_;
        break;
    case Element::Row:
        if (tableAt_ && !rowAt_)
            startRow(atts);
        break;
    case Element::Link: startLink(atts); break;
    case Element::Table:
        if (!tableAt_ && !titleAt_) {
            tableAt_ = depth_;
            // Decided once per table: the entry it belongs to cannot change
            // before it closes in any report quorvanel writes.
            content_ = globalSectionDepth_ > 0 ? TableContent::Whole
                : open_ > 0                    ? frame().content
                                               : TableContent::None;
            if (content_ == TableContent::BlockTexts) {
                assignAttribute(table_.width, widthKey_.in(atts));
                const TableKind kind = tableKind(table_);
                const bool block = kind == TableKind::CommentBlock || kind == TableKind::TraceTexts;
                content_ = block ? TableContent::Texts : TableContent::None;
            }
            const bool ofEntry = globalSectionDepth_ <= 0 && open_ > 0;
            streaming_ = ofEntry && content_ != TableContent::None && frame().stream;
            budgeted_ = ofEntry && content_ != TableContent::None && frame().keep &&
                frame().budgetLeft != ReportHandler::NoRowBudget;
            if (content_ != TableContent::None) {
                rowsUsed_ = 0;
                table_.rowsLeftOut = 0;
                table_.heading.clear();
                assignAttribute(table_.width, widthKey_.in(atts));
                assignAttribute(table_.border, borderKey_.in(atts));
            }
        }
        break;
    case Element::Node: openEntry(atts); break;
    case Element::Title:
        if (!titleAt_ && !tableAt_) {
            titleAt_ = depth_;
            titleText_.clear();
            titleOmitted_ = 0;
            titleLinked_ = false;
            const char* level = levelKey_.in(atts);
            titleLevel_ = level ? std::strtol(level, nullptr, 10) : 0;
        }
        break;
    case Element::Section: {
        assignAttribute(scratch_, tagKey_.in(atts));
        SectionKind section = SectionKind::None;
        if (startsWith(scratch_, "filex"))
            section = SectionKind::Global;
        else if (startsWith(scratch_, "rootx"))
            section = SectionKind::Driver;
        else if (startsWith(scratch_, "classx"))
            section = SectionKind::Contracts;
        if (section == SectionKind::Global && globalSectionDepth_ < 0)
            globalSectionDepth_ = depth_;
        if (section != SectionKind::None && top())
            top()->section = section;
        break;
    }
    case Element::Other: break;
    }
}

void DocumentState::startRow(const xmlChar** atts)
{
    rowAt_ = depth_;
    if (content_ == TableContent::None) {
        rowFailed_ = false;
        rowLinked_ = false;
        return;
    }
    Row& r = slot(table_.rows, rowsUsed_++, spareRows_);
    cellsUsed_ = 0;
    r.failed = false;
    r.header = false;
    if (content_ == TableContent::Whole)
        assignAttribute(r.style, styleKey_.in(atts));
    else
        r.style.clear();
}

void DocumentState::startCell(Element kind, const xmlChar** atts)
{
    cellAt_ = depth_;
    cellKind_ = kind == Element::Cell ? CellKind::Block : CellKind::Text;
    const char* style = styleKey_.in(atts);
    cellFailed_ = style && failedStyle(style);
    if (content_ == TableContent::None) {
        cellLinked_ = false;
        return;
    }
    Cell& c = slot(row().cells, cellsUsed_++, spareCells_);
    if (cellsUsed_ == 1)
        row().header = style && std::strcmp(style, "Array Title") == 0;
    c.text.clear();
    c.link.reset();
    c.omitted = 0;
    if (content_ == TableContent::Whole)
        assignAttribute(c.style, style);
    else
        c.style.clear();
}

void DocumentState::startLink(const xmlChar** atts)
{
    // A later link of the same cell or title replaces an earlier one, and a
    // link without a usable target removes it.
    std::optional<Location>* link = nullptr;
    if (cellAt_ && content_ != TableContent::None) {
        link = &cell().link;
    } else if (cellAt_) {
        // Only what the entry's location may still need is parsed.
        const RowLinks* links = open_ > 0 && globalSectionDepth_ <= 0 ? &frame().links : nullptr;
        if (!rowLinked_ && links && !(links->hasFirst && links->hasFirstFailed))
            cellLinked_ = parseTarget(targetKey_.in(atts), cellLink_);
        return;
    } else if (titleAt_ && !tableAt_) {
        titleLinked_ = parseTarget(targetKey_.in(atts), titleLink_);
        return;
    } else {
        return;
    }
    if (!*link)
        link->emplace();
    if (!parseTarget(targetKey_.in(atts), **link))
        link->reset();
}

bool DocumentState::parseTarget(const char* target, Location& out)
{
    if (!target)
        return false;
    const std::size_t size = std::strlen(target);
    if (!std::memchr(target, '&', size))
        return parseLinkTarget(target, size, out);
    assignAttribute(scratch_, target);
    return parseLinkTarget(scratch_.data(), scratch_.size(), out);
}

void DocumentState::endCell()
{
    cellAt_ = 0;
    if (content_ == TableContent::None) {
        rowFailed_ = rowFailed_ || cellFailed_;
        if (cellLinked_ && !rowLinked_) {
            rowLinked_ = true;
            std::swap(rowLink_, cellLink_);
        }
        return;
    }
    if (cellFailed_)
        row().failed = true;
}

void DocumentState::endRow()
{
    rowAt_ = 0;
    if (content_ == TableContent::None) {
        noteRowLinks(rowFailed_, rowLinked_ ? &rowLink_ : nullptr);
        return;
    }
    Row& r = row();
    // Cells left from the row's earlier use wait for another row, without
    // the room of a huge text.
    constexpr std::size_t KeptCapacity = 1 << 16;
    for (std::size_t i = cellsUsed_; i < r.cells.size(); ++i) {
        if (r.cells[i].text.capacity() > KeptCapacity)
            std::string().swap(r.cells[i].text);
    }
    trim(r.cells, cellsUsed_, spareCells_);
    const Location* link = nullptr;
    for (const Cell& c : r.cells) {
        if (c.link) {
            link = &*c.link;
            break;
        }
    }
    noteRowLinks(r.failed, link);
    passRow(r);
}

void DocumentState::passRow(Row& r)
{
    if (streaming_) {
        // The row's slot is used again by the next row: one row at a time,
        // and none left from an earlier table beside it.
        trim(table_.rows, rowsUsed_, spareRows_);
        if (const Entry* entry = top())
            handler_.entryRow(*entry, table_, r);
        rowsUsed_ = 0;
        return;
    }
    if (!budgeted_ || open_ == 0)
        return;
    Frame& f = frame();
    if (f.budgetLeft == 0 && !(r.failed && !f.failedKept)) {
        --rowsUsed_; // its slot waits for the next row
        ++table_.rowsLeftOut;
        return;
    }
    const std::size_t weight = rowWeight(r);
    f.budgetLeft -= weight < f.budgetLeft ? weight : f.budgetLeft;
    f.failedKept = f.failedKept || r.failed;
}

void DocumentState::end(const xmlChar* name)
{
    if (depth_ == textAt_) {
        textAt_ = 0;
    } else if (depth_ == cellAt_) {
        endCell();
    } else if (depth_ == rowAt_) {
        endRow();
    } else if (depth_ == tableAt_) {
        tableAt_ = 0;
        closeTable();
    } else if (depth_ == titleAt_) {
        titleAt_ = 0;
        closeTitle();
    } else {
        switch (elements_.lookup(name)) {
        case Element::Node: closeEntry(); break;
        case Element::Section:
            if (depth_ == globalSectionDepth_)
                globalSectionDepth_ = -2; // read once; a later one is not the summary
            break;
        default: break;
        }
    }
    --depth_;
}

/// Keeps the first link of the entry's rows and the first link of a failed row:
/// a class member's location comes from them.
void DocumentState::noteRowLinks(bool failed, const Location* link)
{
    if (open_ == 0 || globalSectionDepth_ > 0 || !link)
        return;
    RowLinks& links = frame().links;
    if (links.hasFirst && (links.hasFirstFailed || !failed))
        return;
    if (!links.places)
        links.places = std::make_unique<RowLinks::Places>();
    if (!links.hasFirst) {
        links.hasFirst = true;
        links.places->first = *link;
    }
    if (failed && !links.hasFirstFailed) {
        links.hasFirstFailed = true;
        links.places->firstFailed = *link;
    }
}

void DocumentState::gatherText(const char* data, std::size_t size)
{
    if (cellAt_) {
        if (content_ != TableContent::None && (cellKind_ == CellKind::Text || textAt_)) {
            Cell& c = cell();
            appendLimited(c.text, c.omitted, data, size);
        }
    } else if (titleAt_ && textAt_) {
        appendLimited(titleText_, titleOmitted_, data, size);
    }
}

void DocumentState::openEntry(const xmlChar** atts)
{
    if (open_ == entries_.size())
        entries_.emplace_back();
    Entry* parent = top();
    Entry& entry = entries_[open_++];
    assignAttribute(entry.name, nameKey_.in(atts));
    assignAttribute(entry.type, typeKey_.in(atts));
    const char* state = stateKey_.in(atts);
    entry.state = !state                ? EntryState::NotExecuted
        : std::strcmp(state, "ok") == 0 ? EntryState::Passed
        : std::strcmp(state, "ko") == 0 ? EntryState::Failed
                                        : EntryState::NotExecuted;
    const char* sum = sumKey_.in(atts);
    entry.counted = sum && std::strtol(sum, nullptr, 10) >= 1;
    entry.depth = open_ - 1;
    entry.title.clear();
    resetLocation(entry.titleLink, spareTitlePath_);
    entry.tables.clear();
    entry.parent = parent;
    entry.section = parent ? parent->section : SectionKind::None;
    if (parent && parent->location)
        assignLocation(entry.location, *parent->location, spareLocationPath_);
    else
        resetLocation(entry.location, spareLocationPath_);
    if (frames_.size() < open_)
        frames_.resize(open_);
    Frame& frame = this->frame();
    frame.links.hasFirst = false;
    frame.links.hasFirstFailed = false;
    frame.keep = handler_.keepTables(entry);
    frame.content = handler_.tableContent(entry);
    if (frame.keep && (frame.content == TableContent::None || frame.content == TableContent::BlockTexts))
        frame.content = TableContent::Texts;
    frame.stream = !frame.keep && handler_.streamRows(entry);
    frame.budgetLeft = frame.keep ? handler_.rowBudget(entry) : ReportHandler::NoRowBudget;
    frame.failedKept = false;
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
        const RowLinks& links = frame().links;
        if (links.hasFirstFailed)
            assignLocation(entry.location, links.places->firstFailed, spareLocationPath_);
        else if (links.hasFirst)
            assignLocation(entry.location, links.places->first, spareLocationPath_);
    }
    if (entry.counted)
        result.totals.add(entry.status());
    handler_.entryClosed(entry);
    entry.tables.clear();
    --open_;
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
        if (titleLinked_) {
            assignLocation(entry->titleLink, titleLink_, spareTitlePath_);
            assignLocation(entry->location, titleLink_, spareLocationPath_);
        }
    }
}

void DocumentState::closeTable()
{
    if (content_ == TableContent::None)
        return; // its rows were noted as they closed
    // Rows left from the table's earlier use wait for another table.
    trim(table_.rows, rowsUsed_, spareRows_);
    if (globalSectionDepth_ > 0) {
        if (globalTables_++ == 0) {
            result.summary = summaryOf(table_);
        } else {
            table_.heading = heading_;
            handler_.infoTable(table_);
        }
        return;
    }
    Entry* entry = top();
    if (!entry)
        return;
    if (!frame().keep) {
        handler_.entryContent(*entry, table_);
        return;
    }
    entry->tables.push_back(std::move(table_));
    table_ = Table();
    rowsUsed_ = 0;
    handler_.entryContent(*entry, entry->tables.back());
}

// The SAX callbacks; the user data is the Reader.

} // namespace xrd::detail
