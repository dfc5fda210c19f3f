// `xrdtool diff`: what changed between two runs. Results are matched by their
// path and type; the k-th result with the same path and type in one report
// matches the k-th in the other.

#include "xrdtool/diff/command.h"

#include "xrdtool/common/cli.h"
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

int runDiffCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> reports;
    DiffFormat format = DiffFormat::Text;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string value;
        bool missing = false;
        if (optionValue(args, i, "--format", value, missing)) {
            if (missing || (value != "text" && value != "markdown" && value != "json"))
                return usageError("diff", "diff: --format takes text, markdown or json");
            format = value == "json"  ? DiffFormat::Json
                : value == "markdown" ? DiffFormat::Markdown
                                      : DiffFormat::Text;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return usageError("diff", "diff: unknown option '" + args[i] + "'");
        } else {
            reports.push_back(args[i]);
        }
    }
    if (reports.size() != 2)
        return usageError("diff", "diff: two reports are needed, OLD and NEW");

    DiffInput input;
    const DiffRead read = readReports(reports[0], reports[1], input);
    if (!read.before.ok())
        return readError(reports[0], read.before);
    if (!read.after.ok())
        return readError(reports[1], read.after);
    printWarning(totalsWarning(reports[0], input.before.totals, input.before.summary));
    printWarning(totalsWarning(reports[1], input.after.totals, input.after.summary));
    printIndexSizes(input);
    const DiffLists lists(input.before, input.after);
    const DiffText text{input.tables.names, input.tables.paths};
    bool written = writeDiff(stdout, format, lists, text);
    written = std::fflush(stdout) == 0 && written && !std::ferror(stdout);
    if (!written)
        return fileError("standard output", "write error");
    return lists.count(DiffList::NewlyFailed) == 0 ? ExitOk : ExitFailures;
}

} // namespace xrdtool
