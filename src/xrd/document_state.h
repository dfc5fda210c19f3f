#pragma once
// The state of one XRD document being read: what the SAX callbacks of
// reader.cpp drive. Internal to the reader library.

#include "xrd/report.h"

#include <libxml/parser.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace xrd::detail {

/// The elements the reader acts on.
enum class Element { Other, CellText, Cell, Text, Row, Link, Table, Node, Title, Section };

/// The kind of an element name.
Element classify(const xmlChar* name);

/// libxml2 hands out element names from its dictionary, one pointer per
/// distinct name: a few pointer comparisons replace string comparisons on
/// every element of a large report.
class ElementCache {
public:
    /// The kind of the element `name` points to.
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
class DocumentState {
public:
    /// A state that hands what it reads to `handler`.
    explicit DocumentState(ReportHandler& handler) : handler_(handler) {}

    /// The parser driving this state, for positions and stopping; set by the glue.
    xmlParserCtxtPtr context = nullptr;
    /// How the read ends; the first failure is kept.
    ReadResult result;
    /// True once the first element was seen.
    bool sawRoot = false;
    /// libxml2's code of the first error.
    int errorCode = 0;
    /// Memory ran out in a callback or inside libxml2; the read is abandoned.
    bool outOfMemory = false;
    /// Elements open now.
    long openElements() const { return depth_; }

    /// Records the first failure and stops the parser.
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

    /// Abandons the read because memory ran out: not the document's fault.
    void failOutOfMemory()
    {
        outOfMemory = true;
        if (context)
            xmlStopParser(context);
    }

    /// fail() at the parser's current position.
    void failHere(std::string reason)
    {
        long line = context ? xmlSAX2GetLineNumber(context) : 0;
        long column = context ? xmlSAX2GetColumnNumber(context) : 0;
        fail(line, column, std::move(reason));
    }

    /// An element starts (SAX1: the name as written, attributes as name/value pairs).
    void start(const xmlChar* name, const xmlChar** atts);
    /// An element ends.
    void end(const xmlChar* name);
    /// Character data, in pieces of any size.
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
    /// Depth of the open title (0: none).
    long titleAt_ = 0;
    long titleLevel_ = 0;
    std::string titleText_;
    std::size_t titleOmitted_ = 0;
    std::optional<Location> titleLink_;

    // The table, row, cell and TEXT element being read, each by the depth it
    // opened at (0: none), so that only its own end closes it; a table inside a
    // table, a row inside a cell and the like are passed over.
    long tableAt_ = 0;
    long rowAt_ = 0;
    long cellAt_ = 0;
    long textAt_ = 0;
    Table table_;
    enum class CellKind { Text, Block } cellKind_ = CellKind::Text;
};

} // namespace xrd::detail
