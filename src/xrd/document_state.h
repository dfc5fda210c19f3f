#pragma once
// The state of one XRD document being read: what the SAX callbacks of
// reader.cpp drive. Internal to the reader library.

#include "xrd/report.h"

#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace xrd::detail {

/// The elements the reader acts on.
enum class Element { Other, CellText, Cell, Text, Row, Link, Table, Node, Title, Section };

/// The kind of an element name.
Element classify(const xmlChar* name);

/// libxml2 hands out element names from its dictionary, one pointer per
/// distinct name: a table indexed by the pointer's hash replaces string
/// comparisons on every element of a large report (a collision only costs
/// one classify()).
class ElementCache {
public:
    /// The kind of the element `name` points to.
    Element lookup(const xmlChar* name)
    {
        const std::size_t slot =
            std::size_t((std::uint64_t(reinterpret_cast<std::uintptr_t>(name)) * 0x9E3779B97F4A7C15ull) >>
                        (64 - SlotBits));
        if (names_[slot] == name)
            return kinds_[slot];
        const Element kind = classify(name);
        names_[slot] = name;
        kinds_[slot] = kind;
        return kind;
    }

private:
    static constexpr unsigned SlotBits = 6;
    const xmlChar* names_[std::size_t(1) << SlotBits] = {};
    Element kinds_[std::size_t(1) << SlotBits] = {};
};

/// An attribute name the reader looks for. Attribute names come from the same
/// dictionary as element names: once found, a name is recognised by its
/// pointer, and only other names starting with the same letter are compared.
class AttributeKey {
public:
    /// A key for the attribute `name`.
    explicit AttributeKey(const char* name) : name_(name) {}

    /// The value of the attribute in SAX1's name/value list, or null.
    __attribute__((always_inline)) const char* in(const xmlChar** atts)
    {
        if (!atts)
            return nullptr;
        for (; atts[0]; atts += 2) {
            if (atts[0] == known_ ||
                (atts[0][0] == static_cast<xmlChar>(name_[0]) &&
                 std::strcmp(reinterpret_cast<const char*>(atts[0]), name_) == 0)) {
                known_ = atts[0];
                return atts[1] ? reinterpret_cast<const char*>(atts[1]) : "";
            }
        }
        return nullptr;
    }

private:
    const char* name_;
    const xmlChar* known_ = nullptr;
};

/// Where an entry's rows link to, gathered as its tables are read.
struct RowLinks {
    /// The first link of any row, and of a failed row.
    struct Places {
        Location first;
        Location firstFailed;
    };
    /// Made for the first link noted and kept with the frame (its strings keep
    /// their capacity): entries without linked rows, the many levels of a deep
    /// tree among them, cost a pointer.
    std::unique_ptr<Places> places;
    bool hasFirst = false;
    bool hasFirstFailed = false;
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
    void text(const char* data, std::size_t size)
    {
        // Most character data is the line ends between elements, or the
        // texts of cells whose texts are not read: passed over before
        // anything else is looked at.
        if ((cellAt_ != 0 && content_ != TableContent::None) || titleAt_ != 0)
            gatherText(data, size);
    }

private:
    /// What is known of each open entry while its tables are read.
    struct Frame {
        RowLinks links;
        /// The handler keeps the entry's tables.
        bool keep = false;
        /// What is read of its tables.
        TableContent content = TableContent::Whole;
        /// The handler takes its rows one at a time.
        bool stream = false;
        /// Kept tables: the bytes of rows that may still be kept, and whether
        /// a failed row was kept (the first one always is).
        std::size_t budgetLeft = 0;
        bool failedKept = false;
    };

    __attribute__((noinline)) void gatherText(const char* data, std::size_t size);
    void openEntry(const xmlChar** atts);
    void closeEntry();
    void closeTable();
    void closeTitle();
    void startCell(Element kind, const xmlChar** atts);
    void startRow(const xmlChar** atts);
    void startLink(const xmlChar** atts);
    void endCell();
    void endRow();
    /// A complete row with content: handed out, or kept or left out by the budget.
    void passRow(Row& row);
    void noteRowLinks(bool failed, const Location* link);
    /// Parses a TARGET attribute (null when absent) into `out`; false when it
    /// is absent or has another shape.
    bool parseTarget(const char* target, Location& out);
    Entry* top() { return open_ == 0 ? nullptr : &entries_[open_ - 1]; }
    Row& row() { return table_.rows[rowsUsed_ - 1]; }
    Cell& cell() { return row().cells[cellsUsed_ - 1]; }

    ReportHandler& handler_;
    /// Open entries, outermost first; a deque keeps the parent pointers valid.
    /// Slots are reused (their strings keep their capacity); open_ are in use.
    std::deque<Entry> entries_;
    std::size_t open_ = 0;
    /// One per open entry: the first open_; the others wait for reuse. A
    /// deque grows without copying or doubling, however deep the tree.
    std::deque<Frame> frames_;
    Frame& frame() { return frames_[open_ - 1]; }
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
    Location titleLink_;
    bool titleLinked_ = false;
    /// The storage of locations taken from entries, for the next ones.
    std::string spareTitlePath_;
    std::string spareLocationPath_;

    // The table, row, cell and TEXT element being read, each by the depth it
    // opened at (0: none), so that only its own end closes it; a table inside a
    // table, a row inside a cell and the like are passed over.
    long tableAt_ = 0;
    long rowAt_ = 0;
    long cellAt_ = 0;
    long textAt_ = 0;
    enum class CellKind { Text, Block } cellKind_ = CellKind::Text;
    bool cellFailed_ = false;
    /// What is read of the table; fixed when it opens.
    TableContent content_ = TableContent::None;
    /// How its rows are handed out, fixed when it opens: one at a time, or
    /// kept up to the entry's row budget.
    bool streaming_ = false;
    bool budgeted_ = false;

    // With content (Texts or Whole): the table in table_. Its rows and their cells are reused
    // from table to table, so that their strings keep their capacity: the
    // first rowsUsed_ rows and the current row's first cellsUsed_ cells are in
    // use; the others are trimmed into the spare lists before anyone sees them.
    Table table_;
    std::size_t rowsUsed_ = 0;
    std::size_t cellsUsed_ = 0;
    std::vector<Row> spareRows_;
    std::vector<Cell> spareCells_;

    // Without content: the row's failure and its first link, the cell's link.
    bool rowFailed_ = false;
    bool rowLinked_ = false;
    Location rowLink_;
    bool cellLinked_ = false;
    Location cellLink_;
    /// An attribute with its references turned back into characters.
    std::string scratch_;

    AttributeKey styleKey_{"STYLE"};
    AttributeKey targetKey_{"TARGET"};
    AttributeKey widthKey_{"WIDTH"};
    AttributeKey borderKey_{"BORDER"};
    AttributeKey levelKey_{"LEVEL"};
    AttributeKey tagKey_{"TAG"};
    AttributeKey nameKey_{"name"};
    AttributeKey typeKey_{"type"};
    AttributeKey stateKey_{"state"};
    AttributeKey sumKey_{"sum"};
};

} // namespace xrd::detail
