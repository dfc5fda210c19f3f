// xrdtool: reads the XRD reports quorvanel writes and turns them into what CI
// servers, build logs and people read.

#include "xrdtool/common/cli.h"
#include "xrdtool/diff/command.h"
#include "xrdtool/html/command.h"
#include "xrdtool/junit/command.h"
#include "xrdtool/summary/command.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace {

int runCommand(int argc, char** argv)
{
    using namespace xrdtool;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usageError("", "");
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h") {
        std::fputs(usageText("").c_str(), stdout);
        return std::fflush(stdout) == 0 ? ExitOk : fileError("standard output", "write error");
    }
    if (command == "--version") {
        std::printf("xrdtool %s\n", XRDTOOL_VERSION);
        return std::fflush(stdout) == 0 ? ExitOk : fileError("standard output", "write error");
    }
    const bool known = command == "junit" || command == "summary" || command == "diff" || command == "html";
    if (!known)
        return usageError("", "unknown command '" + command + "'");
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(usageText(command).c_str(), stdout);
            return std::fflush(stdout) == 0 ? ExitOk : fileError("standard output", "write error");
        }
    }
    if (command == "junit")
        return runJunitCommand(args);
    if (command == "summary")
        return runSummaryCommand(args);
    if (command == "diff")
        return runDiffCommand(args);
    return runHtmlCommand(args);
}

} // namespace

int main(int argc, char** argv)
{
    // Memory runs out only on absurd inputs or limits; that is an error like
    // any other, never an abort. Outputs under way are removed as their
    // owners unwind.
    try {
        return runCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("xrdtool: out of memory.\n", stderr);
        return xrdtool::ExitError;
    }
}
