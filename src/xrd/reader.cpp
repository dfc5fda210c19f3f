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
        if (is(atts[0], key))
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
    void closeEntry();
    void closeTable();
    void closeTitle();
    Entry* top() { return entries_.empty() ? nullptr : &entries_.back(); }

    ReportHandler& handler_;
    /// Open entries, outermost first; a deque keeps the parent pointers valid.
    std::deque<Entry> entries_;
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
    if (is(name, "CELL_TEXT") || is(name, "CELL")) {
        if (tableDepth_ == 1 && inRow_ && cell_ == CellKind::None) {
            Cell cell;
            cell.style = attributeOr(atts, "STYLE");
            table_.rows.back().cells.push_back(std::move(cell));
            cell_ = is(name, "CELL") ? CellKind::Block : CellKind::Text;
        }
    } else if (is(name, "TEXT")) {
        inText_ = cell_ == CellKind::Block || inTitle_;
    } else if (is(name, "ROW")) {
        if (tableDepth_ == 1 && !inRow_) {
            Row row;
            row.style = attributeOr(atts, "STYLE");
            table_.rows.push_back(std::move(row));
            inRow_ = true;
        }
    } else if (is(name, "LINK")) {
        std::optional<Location> link;
        if (attribute(atts, "TARGET"))
            link = parseLinkTarget(attributeOr(atts, "TARGET"));
        if (cell_ != CellKind::None)
            table_.rows.back().cells.back().link = std::move(link);
        else if (inTitle_)
            titleLink_ = std::move(link);
    } else if (is(name, "TABLE")) {
        if (++tableDepth_ == 1) {
            table_ = Table();
            table_.width = attributeOr(atts, "WIDTH");
            table_.border = attributeOr(atts, "BORDER");
        }
    } else if (is(name, "XROD:NODE")) {
        openEntry(atts);
    } else if (is(name, "TITLE")) {
        if (!inTitle_ && tableDepth_ == 0) {
            inTitle_ = true;
            titleText_.clear();
            titleOmitted_ = 0;
            titleLink_.reset();
            const char* level = attribute(atts, "LEVEL");
            titleLevel_ = level ? std::strtol(level, nullptr, 10) : 0;
        }
    } else if (is(name, "SECTION")) {
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
    }
}

void Reader::end(const xmlChar* name)
{
    if (is(name, "CELL_TEXT") || is(name, "CELL")) {
        if (tableDepth_ == 1) {
            if (cell_ != CellKind::None) {
                Row& row = table_.rows.back();
                if (row.cells.back().style.find("Failed") != std::string::npos)
                    row.failed = true;
            }
            cell_ = CellKind::None;
            inText_ = false;
        }
    } else if (is(name, "TEXT")) {
        inText_ = false;
    } else if (is(name, "ROW")) {
        if (tableDepth_ == 1)
            inRow_ = false;
    } else if (is(name, "TABLE")) {
        if (tableDepth_ > 0 && --tableDepth_ == 0)
            closeTable();
    } else if (is(name, "XROD:NODE")) {
        closeEntry();
    } else if (is(name, "TITLE")) {
        if (inTitle_ && tableDepth_ == 0)
            closeTitle();
    } else if (is(name, "SECTION")) {
        if (depth_ == globalSectionDepth_)
            globalSectionDepth_ = -2;  // read once; a later one is not the summary
    }
    --depth_;
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

void Reader::openEntry(const xmlChar** atts)
{
    Entry entry;
    entry.name = attributeOr(atts, "name");
    entry.type = attributeOr(atts, "type");
    const std::string state = attributeOr(atts, "state");
    entry.state = state == "ok"   ? EntryState::Passed
                  : state == "ko" ? EntryState::Failed
                                  : EntryState::NotExecuted;
    const char* sum = attribute(atts, "sum");
    entry.counted = sum && std::strtol(sum, nullptr, 10) >= 1;
    entry.depth = entries_.size();
    if (Entry* parent = top()) {
        entry.parent = parent;
        entry.section = parent->section;
        entry.location = parent->location;
    }
    entries_.push_back(std::move(entry));
    handler_.entryOpened(entries_.back());
}

void Reader::closeEntry()
{
    if (entries_.empty())
        return;
    Entry& entry = entries_.back();
    if (!entry.titleLink) {
        // A class member has no linked title: its first failed row tells where
        // it failed, else its first linked row where it is declared.
        const Location* first = nullptr;
        const Location* firstFailed = nullptr;
        for (const Table& table : entry.tables) {
            for (const Row& row : table.rows) {
                for (const Cell& cell : row.cells) {
                    if (!cell.link)
                        continue;
                    if (!first)
                        first = &*cell.link;
                    if (row.failed && !firstFailed)
                        firstFailed = &*cell.link;
                    break;
                }
            }
        }
        if (firstFailed)
            entry.location = *firstFailed;
        else if (first)
            entry.location = *first;
    }
    handler_.entryClosed(entry);
    entries_.pop_back();
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
        xmlParseChunk(context.get(), buffer.get(), int(size), size == 0);
        if (reader.result.status != ReadStatus::Ok || size == 0)
            break;
    }
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
