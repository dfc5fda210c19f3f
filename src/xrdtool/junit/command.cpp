// `xrdtool junit`: the report as JUnit XML, in one file or one file per suite.

#include "xrdtool/junit/command.h"

#include "xrdtool/common/file_stem.h"
#include "xrdtool/common/output_file.h"
#include "xrdtool/common/output_folder.h"
#include "xrdtool/common/read_report.h"
#include "xrdtool/junit/writer.h"

#include <cstdio>
#include <unordered_set>

namespace xrdtool {

namespace {

const char XmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

bool writePart(std::FILE* out, const SuitePart& part)
{
    return std::fputs(part.head.c_str(), out) >= 0 && part.spool->copyTo(out, part.begin, part.end) &&
        std::fputs(part.tail.c_str(), out) >= 0;
}

/// One file, or the standard output.
Result<int> writeOneFile(const std::string& report, const std::string& output, const JunitOptions& options)
{
    OutputFile out;
    if (const Result<void> opened = out.open(output); !opened)
        return opened.error();
    out.write(XmlHead);
    out.write("<testsuites>\n");
    JunitWriter writer(options, false,
                       [&out](const SuitePart& part) { return writePart(out.stream(), part); });
    if (const Result<Totals> read = readReportInto(report, writer); !read)
        return read.error();
    out.write("</testsuites>\n");
    if (!writer.ok())
        return out.writeError();
    if (const Result<void> committed = out.commit(); !committed)
        return committed.error();
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
        if (part.part == 1)
            stem = fileStem(part.suiteName, used);
        const std::string name =
            "TEST-" + stem + (part.part > 1 ? "-part" + std::to_string(part.part) : "") + ".xml";
        const std::string path = folder.dir() + "/" + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        bool ok = file && std::fputs(XmlHead, file) >= 0 && std::fputs("<testsuites>\n", file) >= 0 &&
            writePart(file, part) && std::fputs("</testsuites>\n", file) >= 0;
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
    const std::string& report = args.operands().front();
    return args.has("--split") ? writeSplit(report, args.value("--split"), options)
                               : writeOneFile(report, output, options);
}

} // namespace xrdtool
