// `xrdtool junit`: the report as JUnit XML, in one file or one file per suite.

#include "xrdtool/junit/command.h"

#include "xrdtool/common/file_stem.h"
#include "xrdtool/common/output_file.h"
#include "xrdtool/common/output_folder.h"
#include "xrdtool/common/read_report.h"
#include "xrdtool/junit/report_time.h"
#include "xrdtool/junit/writer.h"

#include <cstdio>
#include <unordered_set>

namespace xrdtool {

namespace {

const char XmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char SuitesStart[] = "<testsuites>\n";
const char SuitesEnd[] = "</testsuites>\n";

/// GitLab drops a JUnit file larger than this whole ("JUnit data parsing failed").
constexpr long GitlabFileLimit = 31457280;

/// One file, or the standard output; warns when GitLab would not read it.
Result<int> writeOneFile(const std::string& report, const std::string& output, const JunitOptions& options)
{
    OutputFile out;
    if (const Result<void> opened = out.open(output); !opened)
        return opened.error();
    out.write(XmlHead);
    out.write(SuitesStart);
    long bytes = long(sizeof XmlHead - 1 + sizeof SuitesStart - 1 + sizeof SuitesEnd - 1);
    JunitWriter writer(options, false, [&out, &bytes](const SuitePart& part) {
        bytes += part.size();
        return part.writeTo(out.stream());
    });
    if (const Result<Totals> read = readReportInto(report, writer); !read)
        return read.error();
    out.write(SuitesEnd);
    if (!writer.ok())
        return out.writeError();
    if (const Result<void> committed = out.commit(); !committed)
        return committed.error();
    if (bytes > GitlabFileLimit)
        std::fprintf(
            stderr,
            "xrdtool: %s: %ld bytes; GitLab reads at most %ld bytes of one JUnit file: use --split DIR.\n",
            output == "-" || output.empty() ? StandardOutput : output.c_str(), bytes, GitlabFileLimit);
    return ExitOk;
}

/// One file per suite part, DIR/TEST-<stem>[-partN].xml; the folder's earlier
/// TEST-*.xml files are replaced, its other files stay.
Result<int> writeSplit(const std::string& report, const std::string& split, const JunitOptions& options)
{
    OutputFolder folder;
    if (const Result<void> started = folder.startMatching(split, "TEST-", ".xml"); !started)
        return started.error();
    std::unordered_set<std::string> used;
    std::string stem;
    std::string failedFile;
    auto sink = [&](const SuitePart& part) {
        // Part stems are reserved among the suites' stems (as html's pages
        // are): no driver's name can take another's part.
        if (part.part == 1)
            stem = fileStem(part.suiteName, used);
        const std::string name = "TEST-" +
            (part.part > 1 ? fileStem(stem + "-part" + std::to_string(part.part), used) : stem) + ".xml";
        const std::string path = folder.dir() + "/" + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        bool ok = file && std::fputs(XmlHead, file) >= 0 && std::fputs(SuitesStart, file) >= 0 &&
            part.writeTo(file) && std::fputs(SuitesEnd, file) >= 0;
        if (file)
            ok = std::fclose(file) == 0 && ok;
        if (!ok)
            failedFile = split + "/" + name;
        return ok;
    };
    JunitWriter writer(options, true, sink);
    if (const Result<Totals> read = readReportInto(report, writer); !read)
        return read.error();
    if (!writer.ok())
        return fileError(failedFile.empty() ? split : failedFile, "write error");
    if (const Result<void> committed = folder.commit(); !committed)
        return committed.error();
    return ExitOk;
}

} // namespace

Result<int> runJunit(const Arguments& args)
{
    const std::string output = args.has("-o") ? args.value("-o") : "-";
    if (args.has("--split") && output != "-")
        return usageError("-o and --split exclude each other");
    JunitOptions options;
    options.strict = args.has("--strict");
    options.pathMap = PathMap(args.values("--path-map"));
    options.hostname = args.value("--hostname");
    options.suitePrefix = args.value("--suite-prefix");
    const std::string& report = args.operands().front();
    options.fileTime = fileTimestamp(report);
    return args.has("--split") ? writeSplit(report, args.value("--split"), options)
                               : writeOneFile(report, output, options);
}

} // namespace xrdtool
