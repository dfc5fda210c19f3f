#pragma once
// JUnit XML from an XRD report, streamed: one testsuite per test driver and one
// for the contracts, one testcase per counted entry. A suite's testcases wait in
// a spool file until its counts are known, so memory stays bounded.

#include "xrd/report.h"
#include "xrdtool/common/nested_order.h"
#include "xrdtool/common/path_map.h"
#include "xrdtool/common/spool.h"
#include "xrdtool/common/totals.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace xrdtool {

/// How the JUnit file is written.
struct JunitOptions {
    /// Only what junit-10.xsd and the strictest published layout allow.
    bool strict = false;
    /// Largest run of testcases in one file before a suite continues in the
    /// next part (only with a split output).
    long partLimit = 25 * 1000 * 1000;
    PathMap pathMap;
};

/// One written suite part, as the sink receives it.
struct SuitePart {
    std::string suiteName;
    /// 1 for the first part of a suite, 2 for the next, ...
    int part = 1;
    /// The <testsuite> start tag (and properties) and what closes it.
    std::string head;
    std::string tail;
    /// The testcases, to be copied from the spool: [begin, end).
    Spool* spool = nullptr;
    long begin = 0;
    long end = 0;
};

/// Streams a report into JUnit suites; each completed suite part goes to the sink.
class JunitWriter : public xrd::ReportHandler {
public:
    /// Receives the suites in document order; returns false on a write error.
    using Sink = std::function<bool(const SuitePart&)>;

    JunitWriter(const JunitOptions& options, bool splitParts, Sink sink);

    void infoTable(const xrd::Table& table) override;
    /// A result's failure and system-out are gathered table by table: no table is kept.
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
    void entryOpened(const xrd::Entry& entry) override;
    void entryContent(const xrd::Entry& entry, const xrd::Table& table) override;
    void entryClosed(const xrd::Entry& entry) override;

    /// False after the sink or the spool failed.
    bool ok() const { return ok_; }

private:
    struct Testcase {
        std::string xml;
        xrd::ResultStatus status;
    };
    /// What a result's tables give its testcase, gathered as they are read.
    struct Gathered {
        bool anyFailedRow = false;
        std::string message;       // from the first failed row
        std::string failures;      // every failed row, one per line
        std::string output;        // prints and trace texts, up to the output limit
        std::size_t outputCut = 0; // bytes of output left out
    };
    struct Part {
        long begin = 0;
        long end = 0;
        Totals counts;
    };

    /// Writes the testcase of `entry` into `out` (emptied first).
    void testcaseXml(std::string& out, const xrd::Entry& entry, const Gathered& gathered,
                     const std::string& classname, const std::string& name) const;
    /// Spools one testcase into the suite's current part and counts it.
    void add(const std::string& xml, xrd::ResultStatus status);
    void finishSuite();

    JunitOptions options_;
    bool splitParts_;
    Sink sink_;
    bool ok_ = true;
    /// The report's generation time as YYYY-MM-DDTHH:MM:SS, or the epoch.
    std::string timestamp_ = "1970-01-01T00:00:00";
    std::vector<std::pair<std::string, std::string>> properties_;

    // The suite being read.
    bool inSuite_ = false;
    std::string suiteName_;
    int suiteId_ = 0;
    Spool spool_;
    std::vector<Part> parts_;
    /// Repeats of classname and name within the suite, by a 64-bit hash of both.
    std::unordered_map<std::uint64_t, std::uint32_t> seen_;
    /// The classname so far and the length it had before each nested entry.
    std::string classname_;
    std::vector<std::size_t> classnameLengths_;
    NestedOrder<Testcase> order_;
    /// One per entry open inside the suite: the first gatheredUsed_; the
    /// others keep their strings' capacity for the next entries.
    std::vector<Gathered> gathered_;
    std::size_t gatheredUsed_ = 0;
    /// The testcase being written.
    std::string testcase_;
};

namespace detail {
/// "Wed Mar 19 14:22:05 2025" (asctime, blanks collapsed) as "2025-03-19T14:22:05";
/// empty when the text has another shape. The writer's, apart for its tests.
std::string isoTimestamp(const std::string& asctime);
} // namespace detail

} // namespace xrdtool
