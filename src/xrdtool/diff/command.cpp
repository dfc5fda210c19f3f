// `xrdtool diff`: what changed between two runs. Results are matched by their
// path and type; the k-th result with the same path and type in one report
// matches the k-th in the other.

#include "xrdtool/diff/command.h"

#include "xrdtool/common/read_report.h"
#include "xrdtool/diff/format.h"
#include "xrdtool/diff/index.h"

#include <cstdio>
#include <cstdlib>

namespace xrdtool {

namespace {

/// With XRDTOOL_DIFF_STATS set, the sizes of diff's index go to the error
/// stream: the benchmark relates diff's memory to them. Not part of the interface.
void printIndexSizes(const DiffInput& input)
{
    if (!std::getenv("XRDTOOL_DIFF_STATS"))
        return;
    std::fprintf(stderr,
                 "xrdtool: diff index: results=%zu+%zu record_bytes=%zu names=%zu name_text_bytes=%zu "
                 "name_table_bytes=%zu paths=%zu path_table_bytes=%zu\n",
                 input.before.results.size(), input.after.results.size(),
                 input.before.results.bytes() + input.after.results.bytes(), input.tables.names.size(),
                 input.tables.names.textBytes(), input.tables.names.bytes(), input.tables.paths.size(),
                 input.tables.paths.bytes());
}

} // namespace

Result<int> runDiff(const Arguments& args)
{
    const std::string& format = args.value("--format");
    const std::string& before = args.operands()[0];
    const std::string& after = args.operands()[1];
    DiffInput input;
    const PathMap map(args.values("--path-map"));
    const DiffRead read = readReports(before, after, input, map);
    if (const Result<Totals> outcome = readOutcome(before, read.before); !outcome)
        return outcome.error();
    if (const Result<Totals> outcome = readOutcome(after, read.after); !outcome)
        return outcome.error();
    warnIfTotalsDiffer(before, read.before);
    warnIfTotalsDiffer(after, read.after);
    printIndexSizes(input);
    const DiffLists lists(input.before, input.after);
    const DiffText text{input.tables.names, input.tables.paths};
    bool written = writeDiff(stdout,
                             format == "json"           ? DiffFormat::Json
                                 : format == "markdown" ? DiffFormat::Markdown
                                                        : DiffFormat::Text,
                             lists, text);
    written = std::fflush(stdout) == 0 && written && !std::ferror(stdout);
    if (!written)
        return fileError(StandardOutput, "write error");
    return lists.count(DiffList::NewlyFailed) == 0 ? ExitOk : ExitFailures;
}

} // namespace xrdtool
