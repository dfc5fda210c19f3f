// Fuzz target: xrdtool's XRD reader and its JUnit writer.
//
// The input is one XRD document. The reader must either refuse it with a line,
// a column and a reason, or hand out a balanced tree of entries; in both cases
// nothing crashes, leaks or reads outside the input. When the document reads,
// the reader's totals must add up to the counted entries it handed out, the
// JUnit text written from it must be well-formed XML, and diff's index of it
// compared with itself must list no change.

#include "fuzz_common.h"

#include "xrd/read_buffer.h"
#include "xrd/report.h"
#include "xrdtool/common/totals.h"
#include "xrdtool/diff/index.h"
#include "xrdtool/diff/lists.h"
#include "xrdtool/junit/writer.h"

#include <libxml/parser.h>

#include <string>

namespace {

/// Checks the shape of the event stream.
class Checker : public xrd::ReportHandler {
public:
    std::size_t open = 0;
    long counted = 0;

    void entryOpened(const xrd::Entry& entry) override
    {
        if (entry.depth != open)
            qv::fuzz::fail("an entry's depth differs from the number of open entries");
        if ((entry.depth == 0) != (entry.parent == nullptr))
            qv::fuzz::fail("only the outermost entry has no parent");
        if (entry.parent && entry.parent->depth + 1 != entry.depth)
            qv::fuzz::fail("an entry's parent is not one level up");
        ++open;
    }

    void entryClosed(const xrd::Entry& entry) override
    {
        if (open == 0 || entry.depth != open - 1)
            qv::fuzz::fail("an entry closed out of order");
        --open;
        if (entry.counted)
            ++counted;
        for (const xrd::Table& table : entry.tables) {
            for (const xrd::Row& row : table.rows) {
                bool failedCell = false;
                for (const xrd::Cell& cell : row.cells)
                    failedCell = failedCell || cell.style.find("Failed") != std::string::npos;
                if (failedCell != row.failed)
                    qv::fuzz::fail("a row's failed flag disagrees with its cells");
            }
        }
    }
};

void quiet(void*, const char*, ...)
{}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool initialised = [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, quiet);
        return true;
    }();
    (void)initialised;
    const char* bytes = reinterpret_cast<const char*>(data);

    Checker checker;
    const xrd::ReadResult result = xrd::detail::readReportBuffer(bytes, size, checker);
    if (result.ok() && checker.open != 0)
        qv::fuzz::fail("the document read but entries were left open");
    if (!result.ok() && (result.reason.empty() || result.line < 0 || result.column < 0))
        qv::fuzz::fail("a refusal without a position or reason");
    if (!result.ok())
        return 0;

    // The JUnit text of whatever read.
    std::string junit = "<testsuites>\n";
    xrdtool::JunitOptions options;
    options.partLimit = 4096;
    options.strict = size % 2 == 1; // both profiles, by the input's length
    xrdtool::JunitWriter writer(options, false, [&junit](const xrdtool::SuitePart& part) {
        std::FILE* memory = std::tmpfile();
        if (!memory || !part.writeTo(memory))
            qv::fuzz::fail("a suite could not be copied from its spools");
        std::rewind(memory);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, memory)) > 0;)
            junit.append(buffer, n);
        std::fclose(memory);
        return true;
    });
    const xrd::ReadResult again = xrd::detail::readReportBuffer(bytes, size, writer);
    if (!again.ok())
        qv::fuzz::fail("a document read once and not twice");
    junit += "</testsuites>\n";
    if (again.totals.total() != checker.counted)
        qv::fuzz::fail("the reader's totals differ from the counted entries");
    xmlDocPtr doc = xmlReadMemory(junit.data(), int(junit.size()), "junit.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (!doc)
        qv::fuzz::fail("the JUnit text is not well-formed XML", junit.substr(0, 4000));
    xmlFreeDoc(doc);

    // diff's index: every counted entry one record, and a report equal to
    // itself (read twice into the same tables, as diff reads two).
    xrdtool::DiffInput input;
    if (!xrdtool::detail::readResultsBuffer(bytes, size, input.tables, input.before).ok() ||
        !xrdtool::detail::readResultsBuffer(bytes, size, input.tables, input.after).ok())
        qv::fuzz::fail("a document read for diff's index and not again");
    if (long(input.after.results.size()) != checker.counted ||
        xrdtool::totalsLine(input.before.totals) != xrdtool::totalsLine(input.after.totals))
        qv::fuzz::fail("diff's index differs from the counted entries");
    if (!xrdtool::DiffLists(input.before, input.after).empty())
        qv::fuzz::fail("a report compared with itself lists changes");
    return 0;
}
