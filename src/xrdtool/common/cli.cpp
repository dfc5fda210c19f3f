#include "xrdtool/common/cli.h"

#include <cstdio>

namespace xrdtool {

std::string usageText(const std::string& command)
{
    if (command == "junit")
        return "usage: xrdtool junit REPORT.xrd [-o FILE] [--strict] [--split DIR] [--path-map OLD=NEW]...\n"
               "Writes the report's results as JUnit XML: one testsuite per test driver and one\n"
               "for the contracts, one testcase per result.\n"
               "  -o FILE            write to FILE (\"-\": the standard output, the default)\n"
               "  --strict           only what junit-10.xsd allows (no file and line attributes)\n"
               "  --split DIR        one file per suite, DIR/TEST-<name>.xml\n"
               "  --path-map OLD=NEW rewrite the start of every location path (repeatable)\n"
               "Exit status: 0 when written, whatever the results; 255 on error.\n";
    if (command == "summary")
        return "usage: xrdtool summary REPORT.xrd [--format text|github] [--verbose] [--path-map "
               "OLD=NEW]...\n"
               "Prints each failed result as PATH:LINE: failed: TYPE NAME with its failed rows,\n"
               "then the totals line.\n"
               "  --format text      compiler-style lines (the default)\n"
               "  --format github    GitHub Actions ::error annotations\n"
               "  --verbose          also list the results that were not executed\n"
               "  --path-map OLD=NEW rewrite the start of every location path (repeatable)\n"
               "Exit status: 0 without failed results, 3 with, 255 on error.\n";
    if (command == "diff")
        return "usage: xrdtool diff OLD.xrd NEW.xrd [--format text|markdown|json]\n"
               "Compares two runs: results are matched by their path (driver, enclosing entries,\n"
               "name) and type; lists the added, removed, newly failed, fixed, newly not executed\n"
               "and newly passed results. Reports written in different languages cannot be\n"
               "compared (their types differ).\n"
               "Exit status: 3 when a result newly failed, else 0; 255 on error.\n";
    if (command == "html")
        return "usage: xrdtool html REPORT.xrd -o DIR [--path-map OLD=NEW]...\n"
               "Writes the report as a static web site into DIR.\n";
    return "usage: xrdtool COMMAND [OPTIONS]\n"
           "Reads XRD reports written by quorvanel.\n"
           "Commands:\n"
           "  junit REPORT.xrd      JUnit XML for CI servers\n"
           "  summary REPORT.xrd    failed results and totals for the build log\n"
           "  diff OLD.xrd NEW.xrd  what changed between two runs\n"
           "  html REPORT.xrd       the report as a static web site\n"
           "xrdtool --help, xrdtool COMMAND --help, xrdtool --version\n";
}

int usageError(const std::string& command, const std::string& problem)
{
    if (!problem.empty())
        std::fprintf(stderr, "xrdtool: %s\n", problem.c_str());
    std::fputs(usageText(command).c_str(), stderr);
    return ExitError;
}

int fileError(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "xrdtool: %s: %s.\n", file.c_str(), reason.c_str());
    return ExitError;
}

int readError(const std::string& file, const xrd::ReadResult& result)
{
    if (result.status == xrd::ReadStatus::CannotRead)
        return fileError(file, "cannot read (" + result.reason + ")");
    return fileError(file,
                     "not an XRD report (line " + std::to_string(result.line) + ", column " +
                         std::to_string(result.column) + ": " + result.reason + ")");
}

void printWarning(const std::string& line)
{
    if (!line.empty())
        std::fprintf(stderr, "%s\n", line.c_str());
}

int takeReport(const std::string& command, const std::string& arg, std::string& report)
{
    if (arg.size() > 1 && arg[0] == '-')
        return usageError(command, command + ": unknown option '" + arg + "'");
    if (!report.empty())
        return usageError(command, command + ": one report only");
    report = arg;
    return 0;
}

bool optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
                 std::string& value, bool& missing)
{
    const std::string& arg = args[i];
    missing = false;
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.size() > name.size() + 1 && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=' &&
        name.size() > 2) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

} // namespace xrdtool
