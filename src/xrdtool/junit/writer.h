#pragma once
// JUnit XML from an XRD report, streamed: one testsuite per test driver and one
// for the contracts, one testcase per counted entry. A suite's testcases wait in
// a spool file until its counts are known, so memory stays bounded; the rows of
// a result come one at a time and only its failure lines and output are kept.

#include "xrd/report.h"
#include "xrdtool/common/failure_lines.h"
#include "xrdtool/common/nested_order.h"
#include "xrdtool/common/spool.h"
#include "xrdtool/common/totals.h"
#include "xrdtool/junit/classname.h"
#include "xrdtool/junit/options.h"
#include "xrdtool/junit/repeat_count.h"
#include "xrdtool/junit/testcase.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace xrdtool {

/// One written suite part, as the sink receives it: written in order, `head`,
/// the testcases [begin, end) of `spool`, `middle`, the outputs [outputBegin,
/// outputEnd) of `outputs` (strict profile) and `tail`.
struct SuitePart {
    /// The suite's name as written (with the suite prefix).
    std::string suiteName;
    /// 1 for the first part of a suite, 2 for the next, ...
    int part = 1;
    /// The <testsuite> start tag (and properties).
    std::string head;
    Spool* spool = nullptr;
    long begin = 0;
    long end = 0;
    /// What closes the testcases: the start of the suite's system-out, if any.
    std::string middle;
    Spool* outputs = nullptr;
    long outputBegin = 0;
    long outputEnd = 0;
    /// What closes the suite.
    std::string tail;

    /// Bytes of the whole part.
    long size() const
    {
        return long(head.size() + middle.size() + tail.size()) + (end - begin) + (outputEnd - outputBegin);
    }
    /// Writes the part to `out`; false on a read or write error.
    bool writeTo(std::FILE* out) const;
};

/// Streams a report into JUnit suites; each completed suite part goes to the sink.
class JunitWriter : public xrd::ReportHandler {
public:
    /// Receives the suites in document order; returns false on a write error.
    using Sink = std::function<bool(const SuitePart&)>;

    JunitWriter(const JunitOptions& options, bool splitParts, Sink sink);

    void infoTable(const xrd::Table& table) override;
    /// A result's failure and system-out are gathered row by row: no table is kept.
    bool keepTables(const xrd::Entry&) const override { return false; }
    /// Only results have testcases to fill: a failed one from its rows' texts and
    /// links, any other only from its printed output.
    xrd::TableContent tableContent(const xrd::Entry& entry) const override
    {
        if (!entry.counted)
            return xrd::TableContent::None;
        return entry.status() == xrd::ResultStatus::Failed ? xrd::TableContent::Texts
                                                           : xrd::TableContent::BlockTexts;
    }
    /// Rows one at a time: a result keeps its failure lines and output, not its rows.
    bool streamRows(const xrd::Entry&) const override { return true; }
    void entryOpened(const xrd::Entry& entry) override;
    void entryRow(const xrd::Entry& entry, const xrd::Table& table, const xrd::Row& row) override;
    void entryContent(const xrd::Entry& entry, const xrd::Table& table) override;
    void entryClosed(const xrd::Entry& entry) override;

    /// False after the sink or the spool failed.
    bool ok() const { return ok_; }

private:
    /// A testcase waiting for the results around it (NestedOrder): its XML
    /// and its output block (strict) in waiting_, [begin, middle) and
    /// [middle, end). However many wait, they cost a few bytes of memory each.
    struct Waiting {
        long begin = 0;
        long middle = 0;
        long end = 0;
        xrd::ResultStatus status = xrd::ResultStatus::Passed;
    };
    /// What an open result's rows give its testcase, gathered as they are read.
    struct Gathered {
        /// Its printed output in printed_, made for the first row of a print
        /// block or of trace texts; -1 before.
        long printed = -1;
        /// The key of the testcase's classname and name.
        std::uint64_t key = 0;
        /// The kind of the table its rows come from, known from its first row.
        bool tableKnown = false;
        xrd::TableKind tableKind = xrd::TableKind::Other;
    };
    struct Part {
        long begin = 0;
        long end = 0;
        long outputBegin = 0;
        long outputEnd = 0;
        Totals counts;
    };

    /// Names the testcase of `entry` in name_: contract results "CLASS: NAME".
    void nameTestcase(const xrd::Entry& entry);
    /// The key of the classname of the entries pushed now and name_.
    std::uint64_t testcaseKey();
    /// Spools one testcase into the suite's current part and counts it.
    void add(const std::string& xml, const std::string& output, xrd::ResultStatus status);
    void finishSuite();
    /// The start tag of a suite part and its properties.
    std::string suiteHead(const Part& part) const;

    JunitOptions options_;
    bool splitParts_;
    Sink sink_;
    bool ok_ = true;
    /// The report's generation time as YYYY-MM-DDTHH:MM:SS, else the file's.
    std::string timestamp_;
    std::vector<std::pair<std::string, std::string>> properties_;

    // The suite being read.
    bool inSuite_ = false;
    std::string suiteName_;
    int suiteId_ = 0;
    Spool spool_;
    Spool outputs_;
    std::vector<Part> parts_;
    /// Repeats of classname and name within the suite, by a 64-bit hash of both.
    RepeatCount seen_;
    ClassnamePath classnames_;
    NestedOrder<Waiting> order_;
    Spool waiting_;
    /// One per result open inside the suite: the first gatheredUsed_; the
    /// others keep their strings' capacity for the next results. A deque
    /// grows without doubling however deep results nest.
    std::deque<Gathered> gathered_;
    std::size_t gatheredUsed_ = 0;
    /// The failure lines of each failed result open now, and the printed
    /// output of each result open now that has some, the same way: a result
    /// only has what it needs, however many nest.
    std::vector<FailureLines> failures_;
    std::size_t failuresUsed_ = 0;
    std::vector<PrintedOutput> printed_;
    std::size_t printedUsed_ = 0;
    /// A waiting testcase read back.
    std::string waitingText_;
    TestcaseWriter testcases_;
    /// The testcase being written, its name and its output block.
    std::string testcase_;
    std::string name_;
    std::string output_;
};

} // namespace xrdtool
