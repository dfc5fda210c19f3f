#pragma once
// The results an XRD report holds, as the reader hands them out: browser
// entries with their tables, the report information rows and the report's
// own summary counts. Plain data, no behaviour beyond the status rules.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace xrd {

/// The state word of an entry: state="ok", "ko" or "NE".
enum class EntryState { Passed, Failed, NotExecuted };

/// What a counted entry means for the totals.
enum class ResultStatus { Passed, Inconclusive, Failed };

/// The top-level section an entry belongs to, recognised by its SECTION tag
/// (the labels are translated, the tags are not).
enum class SectionKind { None, Global, Driver, Contracts };

/// A place in a test script: a link target "PATH line N". The path may be empty.
struct Location {
    std::string path;
    long line = 0;
};

/// Parses a link target of the form "PATH line N" into `out`, whose path keeps
/// its capacity; false (and `out` unspecified) when the target has another shape.
bool parseLinkTarget(const char* target, std::size_t size, Location& out);

/// One table cell: its text (TEXT or CELL_TEXT content), its STYLE and its link.
struct Cell {
    std::string text;
    std::string style;
    std::optional<Location> link;
    /// Bytes of the text left out because the cell exceeded the reader's text limit.
    std::size_t omitted = 0;
};

/// One table row. `failed` is set when any cell has a failed style.
struct Row {
    std::string style;
    std::vector<Cell> cells;
    bool failed = false;
    /// The row heads its table's columns: its first cell has the style "Array Title".
    bool header = false;
};

/// What a kept row counts against a handler's row budget (ReportHandler::rowBudget):
/// 8 bytes, and per cell 8 bytes and its text up to RowWeightCellLimit bytes.
/// No writer writes less for a row it shows, so rows it would show are kept.
constexpr std::size_t RowWeightCellLimit = 60 * 1024;

/// The weight of `row` against a row budget.
std::size_t rowWeight(const Row& row);

/// One TABLE element with its rows.
struct Table {
    /// The WIDTH attribute as written ("40,15,15,15,15"; "55,45" for a comment or
    /// print block; "5,95" for trace texts), empty when absent.
    std::string width;
    /// The BORDER attribute as written.
    std::string border;
    /// For report information tables: the sub-heading above it (empty for the first).
    std::string heading;
    std::vector<Row> rows;
    /// Rows read but not kept, past the handler's row budget (kept tables only).
    std::size_t rowsLeftOut = 0;
};

/// The kind of a table, from its layout.
enum class TableKind { Results, CommentBlock, TraceTexts, Other };

/// Classifies a table by its WIDTH attribute.
TableKind tableKind(const Table& table);

/// One XROD:NODE browser entry.
struct Entry {
    std::string name;
    /// The type as written (translated with the report's language).
    std::string type;
    EntryState state = EntryState::NotExecuted;
    /// sum="1" or more: the entry is one of the report's results.
    bool counted = false;
    /// 0 for the global entry, 1 for a driver or the contracts section, ...
    std::size_t depth = 0;
    SectionKind section = SectionKind::None;
    /// The title text of the entry ("Test Case name"), empty before it is read.
    std::string title;
    /// The link of the entry's own title, when it has one.
    std::optional<Location> titleLink;
    /// Resolved by the location rules: complete at entryClosed; before that, the
    /// title's link or the nearest ancestor's location.
    std::optional<Location> location;
    /// The entry's own tables, in document order (those of its children are not here).
    std::vector<Table> tables;
    /// The enclosing entry; valid while this entry is open.
    const Entry* parent = nullptr;

    /// The status of a counted entry: ko failed, ok passed, NE inconclusive except
    /// a Stub, which counts as passed ("never called").
    ResultStatus status() const;
};

/// Counted results by status.
struct Totals {
    long passed = 0;
    long inconclusive = 0;
    long failed = 0;
    long total() const { return passed + inconclusive + failed; }
    /// Counts one result.
    void add(ResultStatus status)
    {
        switch (status) {
        case ResultStatus::Passed: ++passed; break;
        case ResultStatus::Inconclusive: ++inconclusive; break;
        case ResultStatus::Failed: ++failed; break;
        }
    }
};

/// The report's own summary rows (Passed, Inconclusive, Failed, Total).
struct Summary {
    long passed = 0;
    long inconclusive = 0;
    long failed = 0;
    long total = 0;
    /// False when the report holds no summary table.
    bool present = false;
};

/// How much of an entry's tables the reader gathers for a handler: the less,
/// the faster a large report is read.
enum class TableContent {
    /// Only what the entry's location needs (which rows failed, the rows'
    /// links); entryContent is not called.
    None,
    /// Rows with their failure, cells with their texts and links, the table's
    /// width and border; row and cell styles are left empty.
    Texts,
    /// Texts for comment blocks and trace texts (TableKind CommentBlock and
    /// TraceTexts), None for every other table: what a result's printed output
    /// needs when its rows' texts do not matter.
    BlockTexts,
    /// Everything.
    Whole,
};

/// The counts of the report's summary table (its first table): the rows below
/// the product rows, in the order Passed, Inconclusive, Failed, Total (their
/// labels are translated); not present when they have another shape.
Summary summaryOf(const Table& table);

/// Receives the report while it is read, front to back.
class ReportHandler {
public:
    virtual ~ReportHandler() = default;
    /// Each block of the file's bytes, in order, before the parser sees it: a
    /// handler can digest the very bytes it reads instead of reading twice.
    virtual void bytesRead(const char*, std::size_t) {}
    /// The report's first title (the test node name or the default title).
    virtual void documentTitle(const std::string&) {}
    /// Each report information table (rows, with its sub-heading).
    virtual void infoTable(const Table&) {}
    /// Asked once per entry, before entryOpened: false when the entry's tables
    /// need not be kept in Entry::tables (entryContent still sees each one).
    /// Leaving them out saves time and memory on large reports.
    virtual bool keepTables(const Entry&) const { return true; }
    /// Asked once per entry, after keepTables: how much of the entry's tables
    /// the handler needs. Tables that are kept are read at least as Texts.
    virtual TableContent tableContent(const Entry&) const { return TableContent::Whole; }
    /// Asked once per entry whose tables are not kept: true when the handler
    /// takes the rows one at a time (entryRow) as they are read; entryContent
    /// then sees each table without rows. Memory then stays the same whatever
    /// number of rows an entry holds.
    virtual bool streamRows(const Entry&) const { return false; }
    /// Asked once per entry whose tables are kept: how many bytes of rows
    /// (rowWeight) are kept of all its tables. A row is kept while the rows
    /// kept before it weigh less; the others are counted in Table::rowsLeftOut,
    /// except the entry's first failed row, which is always kept.
    virtual std::size_t rowBudget(const Entry&) const { return NoRowBudget; }
    /// rowBudget's answer for "every row".
    static constexpr std::size_t NoRowBudget = ~std::size_t(0);
    /// An entry was opened: name, type, state, counted and depth are known.
    virtual void entryOpened(const Entry&) {}
    /// With streamRows: one row of one of the entry's tables, once it is
    /// complete; `table` holds the table's width and border, not its rows.
    virtual void entryRow(const Entry&, const Table&, const Row&) {}
    /// One of the entry's own tables is complete.
    virtual void entryContent(const Entry&, const Table&) {}
    /// The entry is closed, after its children: own content and location complete.
    virtual void entryClosed(const Entry&) {}
};

/// How reading a report ended.
enum class ReadStatus { Ok, CannotRead, NotReport };

/// The outcome of reading a report.
struct ReadResult {
    ReadStatus status = ReadStatus::Ok;
    long line = 0;
    long column = 0;
    /// Why the file could not be read or is not a report (empty when Ok).
    std::string reason;
    /// The counted entries by status (Entry::status), as far as they were read.
    Totals totals;
    /// The report's own summary rows (not present when it has none).
    Summary summary;
    /// True when the report was read to its end.
    bool ok() const { return status == ReadStatus::Ok; }
};

/// Reads the report at `path`, streaming, and calls the handler as it goes;
/// counts the results and keeps the report's summary rows on the way.
/// A file that cannot be opened or read gives CannotRead with the system's reason.
/// Memory that runs out, in the reader or in libxml2, raises std::bad_alloc once
/// the parser has returned, as anywhere else in the program.
ReadResult readReport(const std::string& path, ReportHandler& handler);

/// The English name of a result status: "passed", "inconclusive" or "failed".
const char* resultStatusName(ResultStatus status);

} // namespace xrd
