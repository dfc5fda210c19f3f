#pragma once
// The places of one XRD report that a nightly series rewrites, found by one
// pass over its bytes: each browser entry's state attribute and its title's
// style, the summary rows, and the row that holds the report's time. Every
// other byte of a night's report is copied from the report as it is, so all
// its structure stays what quorvanel wrote.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace series {

/// The status a result counts with: what xrdtool's totals make of its state.
enum class Status : uint8_t { Passed, Inconclusive, Failed };

/// A range of the report's bytes.
struct Span {
    std::size_t at = 0;   ///< offset of the first byte
    std::size_t size = 0; ///< bytes; 0 for a place to insert at
};

/// No enclosing entry (the global entry's parent).
constexpr uint32_t NoParent = 0xFFFFFFFFu;

/// One XROD:NODE browser entry, in document order.
struct EntryInfo {
    Span name;                  ///< the name attribute's value as written (escaped)
    Span type;                  ///< the type attribute's value as written
    Span state;                 ///< the state attribute's value; size 0 when absent
    Span titleStyle;            ///< the STYLE value of the entry's own first TITLE; size 0 when none
    uint32_t parent = NoParent; ///< the enclosing entry's number
    uint32_t depth = 0;         ///< 0 for the global entry, 1 for a driver or the contracts section
    bool counted = false;       ///< sum="1" or more: one of the report's results
    bool stub = false;          ///< type "Stub": "NE" counts as passed, so it is never inconclusive
};

/// The cells of one of the summary rows (Passed, Inconclusive, Failed, Total).
struct CountRow {
    Span labelStyle; ///< STYLE of the label cell; size 0 when absent
    Span valueStyle; ///< STYLE of the value cell; size 0 when absent
    Span value;      ///< the decimal count
};

/// What the series needs to know of a report.
struct ReportIndex {
    /// The whole report.
    std::string bytes;
    /// Every entry, parents before their children.
    std::vector<EntryInfo> entries;
    /// The entry numbers of the counted entries, in document order.
    std::vector<uint32_t> results;
    /// Passed, Inconclusive, Failed, Total; valid when hasSummary.
    CountRow rows[4];
    /// The report has the four summary rows (a series needs them).
    bool hasSummary = false;
    /// The label and value cells' texts of the "Report Generation Time" row,
    /// else of the "Test compilation time" row (the one quorvanel writes in its
    /// place); valid when hasTimeRow.
    Span timeLabel;
    Span timeValue;
    /// timeLabel and timeValue were found.
    bool hasTimeRow = false;
    /// Where a time row goes when the report has none: before the end tag of
    /// its first report information table; valid when hasInfoTable.
    std::size_t infoTableEnd = 0;
    /// infoTableEnd was found.
    bool hasInfoTable = false;

    /// The text of a span.
    std::string text(Span span) const { return bytes.substr(span.at, span.size); }
};

/// The status the state word (ok, ko, NE) of an entry gives, by xrdtool's rule.
Status statusOf(const ReportIndex& report, const EntryInfo& entry);

/// An attribute value as a reader sees it: references replaced, and tabs and
/// line ends turned into spaces.
std::string decodeAttribute(const std::string& raw);

/// Reads the report at `path` into `out`; false with the reason in `error`
/// when it cannot be read or lacks the summary rows or the global entry.
bool scanReport(const std::string& path, ReportIndex& out, std::string& error);

} // namespace series
