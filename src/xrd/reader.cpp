// Streaming reader of XRD reports on libxml2's push parser with the SAX1
// element callbacks, so that the undeclared XROD: prefix stays part of a name.
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
//
// Reports are untrusted data: a document type declaration is refused, so no
// entity is ever declared, loaded or expanded, and the network is never used.

#include "xrd/report.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

namespace xrd {

namespace {

/// Longest cell or title text kept; the rest is counted in Cell::omitted.
constexpr std::size_t kTextLimit = 1 << 20;
constexpr std::size_t kChunkSize = 1 << 18;

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

/// The elements the reader acts on.
enum class Element { Other, CellText, Cell, Text, Row, Link, Table, Node, Title, Section };

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

/// libxml2 hands out element names from its dictionary, one pointer per
/// distinct name: a few pointer comparisons replace string comparisons on
/// every element of a large report.
class ElementCache {
public:
    Element lookup(const xmlChar* name)
    {
        for (std::size_t i = 0; i < used_; ++i) {
            if (names_[i] == name)
                return kinds_[i];
        }
        const Element kind = classify(name);
        if (used_ < kSize) {
            names_[used_] = name;
            kinds_[used_++] = kind;
        }
        return kind;
    }

private:
    static constexpr std::size_t kSize = 24;
    const xmlChar* names_[kSize] = {};
    Element kinds_[kSize] = {};
    std::size_t used_ = 0;
};

/// Where an entry's rows link to, gathered as its tables are read.
struct RowLinks {
    std::optional<Location> first;
    std::optional<Location> firstFailed;
};

/// Everything the SAX callbacks share while one document is read.
class Reader {
public:
    explicit Reader(ReportHandler& handler) : handler_(handler) {}

    xmlParserCtxtPtr context = nullptr;
    ReadResult result;
    bool sawRoot = false;
    /// libxml2's code of the first error.
    int errorCode = 0;
    /// Elements open now.
    long openElements() const { return depth_; }

    void fail(long line, long column, std::string reason)
    {
        if (result.status != ReadStatus::Ok)
            return;
        result.status = ReadStatus::NotReport;
        result.line = line;
        result.column = column;
        result.reason = std::move(reason);
        if (context)
            xmlStopParser(context);
    }

    void failHere(std::string reason)
    {
        long line = context ? xmlSAX2GetLineNumber(context) : 0;
        long column = context ? xmlSAX2GetColumnNumber(context) : 0;
        fail(line, column, std::move(reason));
    }

    void start(const xmlChar* name, const xmlChar** atts);
    void end(const xmlChar* name);
    void text(const char* data, std::size_t size);

private:
    void openEntry(const xmlChar** atts);
    void noteRowLinks(const Row& row);
    void closeEntry();
    void closeTable();
    void closeTitle();
    Entry* top() { return open_ == 0 ? nullptr : &entries_[open_ - 1]; }
    Row& newRow();
    void recycleRows();

    ReportHandler& handler_;
    /// Open entries, outermost first; a deque keeps the parent pointers valid.
    /// Slots are reused (their strings keep their capacity); open_ are in use.
    std::deque<Entry> entries_;
    std::size_t open_ = 0;
    /// Rows of tables nobody keeps, emptied, with the capacity of their cell lists.
    std::vector<Row> spareRows_;
    /// For each open entry: its row links, and whether its handler keeps its tables.
    std::vector<RowLinks> links_;
    std::vector<bool> keep_;
    ElementCache elements_;
    long depth_ = 0;

    // The global section: its depth while open, the titles and tables seen in it.
    long globalSectionDepth_ = -1;
    int globalTables_ = 0;
    bool documentTitleSeen_ = false;
    std::string heading_;

    // The title being read.
    bool inTitle_ = false;
    long titleLevel_ = 0;
    std::string titleText_;
    std::size_t titleOmitted_ = 0;
    std::optional<Location> titleLink_;

    // The table, row and cell being read; tables inside tables are passed over.
    int tableDepth_ = 0;
    Table table_;
    bool inRow_ = false;
    enum class CellKind { None, Text, Block } cell_ = CellKind::None;
    bool inText_ = false;
};

void Reader::start(const xmlChar* name, const xmlChar** atts)
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
        if (tableDepth_ == 1 && inRow_ && cell_ == CellKind::None) {
            Row& row = table_.rows.back();
            row.cells.emplace_back();
            assignAttribute(row.cells.back().style, atts, "STYLE");
            cell_ = elements_.lookup(name) == Element::Cell ? CellKind::Block : CellKind::Text;
        }
        break;
    case Element::Text:
        inText_ = cell_ == CellKind::Block || inTitle_;
        break;
    case Element::Row:
        if (tableDepth_ == 1 && !inRow_) {
            assignAttribute(newRow().style, atts, "STYLE");
            inRow_ = true;
        }
        break;
    case Element::Link: {
        std::optional<Location> link;
        if (attribute(atts, "TARGET"))
            link = parseLinkTarget(attributeOr(atts, "TARGET"));
        if (cell_ != CellKind::None)
            table_.rows.back().cells.back().link = std::move(link);
        else if (inTitle_)
            titleLink_ = std::move(link);
        break;
    }
    case Element::Table:
        if (++tableDepth_ == 1) {
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
        if (!inTitle_ && tableDepth_ == 0) {
            inTitle_ = true;
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

void Reader::end(const xmlChar* name)
{
    switch (elements_.lookup(name)) {
    case Element::CellText:
    case Element::Cell:
        if (tableDepth_ == 1) {
            if (cell_ != CellKind::None) {
                Row& row = table_.rows.back();
                if (row.cells.back().style.find("Failed") != std::string::npos)
                    row.failed = true;
            }
            cell_ = CellKind::None;
            inText_ = false;
        }
        break;
    case Element::Text:
        inText_ = false;
        break;
    case Element::Row:
        if (tableDepth_ == 1 && inRow_) {
            inRow_ = false;
            noteRowLinks(table_.rows.back());
        }
        break;
    case Element::Table:
        if (tableDepth_ > 0 && --tableDepth_ == 0)
            closeTable();
        break;
    case Element::Node:
        closeEntry();
        break;
    case Element::Title:
        if (inTitle_ && tableDepth_ == 0)
            closeTitle();
        break;
    case Element::Section:
        if (depth_ == globalSectionDepth_)
            globalSectionDepth_ = -2;  // read once; a later one is not the summary
        break;
    case Element::Other:
        break;
    }
    --depth_;
}

/// Keeps the first link of the entry's rows and the first link of a failed row:
/// a class member's location comes from them.
void Reader::noteRowLinks(const Row& row)
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

void Reader::text(const char* data, std::size_t size)
{
    if (cell_ == CellKind::Text || (cell_ == CellKind::Block && inText_)) {
        Cell& cell = table_.rows.back().cells.back();
        appendLimited(cell.text, cell.omitted, data, size);
    } else if (inTitle_ && inText_) {
        appendLimited(titleText_, titleOmitted_, data, size);
    }
}

Row& Reader::newRow()
{
    if (spareRows_.empty()) {
        table_.rows.emplace_back();
    } else {
        table_.rows.push_back(std::move(spareRows_.back()));
        spareRows_.pop_back();
    }
    return table_.rows.back();
}

void Reader::recycleRows()
{
    for (Row& row : table_.rows) {
        row.cells.clear();
        row.failed = false;
        spareRows_.push_back(std::move(row));
    }
    table_.rows.clear();
}

void Reader::openEntry(const xmlChar** atts)
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

void Reader::closeEntry()
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

void Reader::closeTitle()
{
    inTitle_ = false;
    inText_ = false;
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

void Reader::closeTable()
{
    inRow_ = false;
    cell_ = CellKind::None;
    inText_ = false;
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

void onStart(void* data, const xmlChar* name, const xmlChar** atts)
{
    static_cast<Reader*>(data)->start(name, atts);
}

void onEnd(void* data, const xmlChar* name)
{
    static_cast<Reader*>(data)->end(name);
}

void onCharacters(void* data, const xmlChar* text, int size)
{
    static_cast<Reader*>(data)->text(reinterpret_cast<const char*>(text), std::size_t(size));
}

void onDoctype(void* data, const xmlChar*, const xmlChar*, const xmlChar*)
{
    static_cast<Reader*>(data)->failHere("a document type declaration is not accepted");
}

void onEntityDecl(void* data, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
{
    static_cast<Reader*>(data)->failHere("an entity declaration is not accepted");
}

/// libxml2's messages: the first error is kept, nothing is printed.
void onError(void* data, const char*, ...)
{
    Reader* reader = static_cast<Reader*>(data);
    const xmlError* error = reader->context ? xmlCtxtGetLastError(reader->context) : nullptr;
    if (!error || error->level < XML_ERR_ERROR)
        return;
    std::string message = error->message ? error->message : "malformed XML";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (reader->result.status == ReadStatus::Ok)
        reader->errorCode = error->code;
    reader->fail(error->line, error->int2, message);
}

void onWarning(void*, const char*, ...) {}

xmlSAXHandlerV1 makeHandler()
{
    xmlSAXHandlerV1 sax;
    std::memset(&sax, 0, sizeof sax);
    sax.internalSubset = onDoctype;
    sax.entityDecl = onEntityDecl;
    sax.startElement = onStart;
    sax.endElement = onEnd;
    sax.characters = onCharacters;
    sax.cdataBlock = onCharacters;
    sax.warning = onWarning;
    sax.error = onError;
    sax.fatalError = onError;
    sax.initialized = 1;  // not XML_SAX2_MAGIC: the SAX1 element callbacks
    return sax;
}

struct ContextDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

/// Feeds chunks to one push parser; `next` fills a buffer and returns its size,
/// 0 at the end, or -1 on a read error (errno set).
template <typename Next>
ReadResult parse(ReportHandler& handler, Next next)
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
    // libxml2's generic messages (encoding and I/O errors) go to the error
    // stream by default; the reason is reported through the result instead.
    // The setting belongs to the calling thread.
    xmlSetGenericErrorFunc(nullptr, onWarning);

    Reader reader(handler);
    xmlSAXHandlerV1 sax = makeHandler();
    std::unique_ptr<xmlParserCtxt, ContextDeleter> context(xmlCreatePushParserCtxt(
        reinterpret_cast<xmlSAXHandlerPtr>(&sax), &reader, nullptr, 0, "report.xrd"));
    if (!context) {
        reader.result.status = ReadStatus::CannotRead;
        reader.result.reason = "out of memory";
        return reader.result;
    }
    reader.context = context.get();
    xmlCtxtUseOptions(context.get(), XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_NOWARNING);

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kChunkSize]);
    if (!buffer) {
        reader.result.status = ReadStatus::CannotRead;
        reader.result.reason = "out of memory";
        return reader.result;
    }
    bool anyContent = false;  // a byte other than white space
    for (;;) {
        const long size = next(buffer.get(), kChunkSize);
        if (size < 0) {
            const int saved = errno;
            reader.result = ReadResult();
            reader.result.status = ReadStatus::CannotRead;
            reader.result.reason = std::strerror(saved);
            return reader.result;
        }
        for (long i = 0; i < size && !anyContent; ++i) {
            const char c = buffer[std::size_t(i)];
            anyContent = c != ' ' && c != '\n' && c != '\r' && c != '\t';
        }
        const int code = xmlParseChunk(context.get(), buffer.get(), int(size), size == 0);
        if (code != 0 && reader.result.status == ReadStatus::Ok) {
            // Some errors (a failed encoding conversion among them) reach only the
            // generic error channel, not the SAX callbacks.
            reader.errorCode = code;
            reader.fail(xmlSAX2GetLineNumber(context.get()), xmlSAX2GetColumnNumber(context.get()),
                        code == XML_I18N_CONV_FAILED || code == XML_ERR_INVALID_ENCODING
                            ? "the text cannot be decoded in the declared encoding"
                            : "malformed XML (libxml2 error " + std::to_string(code) + ")");
        }
        if (reader.result.status != ReadStatus::Ok || size == 0)
            break;
    }
    if (reader.result.status == ReadStatus::Ok && reader.sawRoot && reader.openElements() > 0)
        reader.fail(xmlSAX2GetLineNumber(context.get()), xmlSAX2GetColumnNumber(context.get()),
                    "Premature end of data (the file is truncated)");
    if (reader.result.status == ReadStatus::Ok && !context->wellFormed)
        reader.fail(xmlSAX2GetLineNumber(context.get()), xmlSAX2GetColumnNumber(context.get()),
                    "malformed XML");
    if (reader.result.status == ReadStatus::NotReport && reader.errorCode == XML_ERR_DOCUMENT_END &&
        reader.openElements() > 0)
        reader.result.reason = "Premature end of data (the file is truncated)";  // libxml2 says "Extra content"
    if (!reader.sawRoot) {
        // libxml2's words for a file without any element mislead here.
        if (!anyContent) {
            reader.result.status = ReadStatus::Ok;
            reader.fail(1, 1, "the file is empty");
        } else if (reader.result.status == ReadStatus::Ok || reader.result.reason == "Document is empty") {
            reader.result.status = ReadStatus::Ok;
            reader.fail(reader.result.line > 0 ? reader.result.line : 1, reader.result.column > 0 ? reader.result.column : 1,
                        "Start tag expected, '<' not found");
        }
    }
    return reader.result;
}

} // namespace

ReadResult readReport(const std::string& path, ReportHandler& handler)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ReadResult result;
        result.status = ReadStatus::CannotRead;
        result.reason = std::strerror(errno);
        return result;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, std::fclose);
    return parse(handler, [file](char* buffer, std::size_t capacity) -> long {
        const std::size_t got = std::fread(buffer, 1, capacity, file);
        if (got == 0 && std::ferror(file))
            return -1;
        return long(got);
    });
}

ReadResult readReportBuffer(const char* data, std::size_t size, ReportHandler& handler)
{
    std::size_t offset = 0;
    return parse(handler, [&](char* buffer, std::size_t capacity) -> long {
        const std::size_t take = size - offset < capacity ? size - offset : capacity;
        std::memcpy(buffer, data + offset, take);
        offset += take;
        return long(take);
    });
}

} // namespace xrd
