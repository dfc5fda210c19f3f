// xrdtool html REPORT.xrd -o DIR [--path-map OLD=NEW]... [--history DB [--series NAME] [--run ID]]
// The site is written into a temporary folder beside DIR, which replaces DIR
// (missing, empty or an earlier site) at the end.

#include "xrdtool/html/command.h"

#include "xrdtool/common/output_folder.h"
#include "xrdtool/common/read_report.h"
#include "xrdtool/html/site_writer.h"

namespace xrdtool {

namespace {

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

Result<int> runHtml(const Arguments& args)
{
    const std::string& report = args.operands().front();
    const std::string& target = args.value("-o");
    const PathMap paths(args.values("--path-map"));
    OutputFolder folder;
    if (const Result<void> started =
            folder.startWhole(target, WholeFolder{HtmlSiteMarker, "site", "xrdtool html"});
        !started)
        return started.error();
    // The site's pages go under p/, its style sheet and script under assets/.
    for (const char* sub : {"p", "assets"}) {
        if (const Result<void> made = folder.addFolder(sub); !made)
            return made.error();
    }
    Result<std::unique_ptr<history::ReportHistory>> opened = history::openHistory(args, report, true);
    if (!opened)
        return opened.error();
    const std::unique_ptr<history::ReportHistory> history = std::move(*opened);
    SiteWriter writer(folder.dir(), baseName(report), paths, history.get());
    if (const Result<Totals> read = readReportInto(report, writer); !read)
        return read.error();
    if (const Result<void> finished = writer.finish(target); !finished)
        return finished.error();
    if (const Result<void> committed = folder.commit(); !committed)
        return committed.error();
    return ExitOk;
}

} // namespace xrdtool
