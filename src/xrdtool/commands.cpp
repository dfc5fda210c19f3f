// The table of xrdtool's commands, in the order `xrdtool --help` lists them.
// A command is a row here and a folder of its own (see ARCHITECTURE.md).

#include "xrdtool/commands.h"

#include "xrdtool/diff/command.h"
#include "xrdtool/html/command.h"
#include "xrdtool/junit/command.h"
#include "xrdtool/summary/command.h"

namespace xrdtool {

namespace {

using Value = Option::Value;

/// --path-map, which junit, summary and html take alike.
const Option PathMapOption{"--path-map", Value::PathRule, "OLD=NEW", "", true, ""};

Command junit()
{
    Command command;
    command.name = "junit";
    command.summary = "JUnit XML for CI servers";
    command.operands = "REPORT.xrd";
    command.fewerOperands = "no report given";
    command.moreOperands = "one report only";
    command.options = {{"-o", Value::Any, "FILE", "a file name", false, ""},
                       {"--strict", Value::None, "", "", false, ""},
                       {"--split", Value::NotEmpty, "DIR", "a folder", false, ""},
                       PathMapOption};
    command.help = "Writes the report's results as JUnit XML: one testsuite per test driver and one\n"
                   "for the contracts, one testcase per result.\n"
                   "  -o FILE            write to FILE (\"-\": the standard output, the default)\n"
                   "  --strict           only what junit-10.xsd allows (no file and line attributes)\n"
                   "  --split DIR        one file per suite, DIR/TEST-<name>.xml\n"
                   "  --path-map OLD=NEW rewrite the start of every location path (repeatable)\n"
                   "Exit status: 0 when written, whatever the results; 255 on error.\n";
    command.run = runJunit;
    return command;
}

Command summary()
{
    Command command;
    command.name = "summary";
    command.summary = "failed results and totals for the build log";
    command.operands = "REPORT.xrd";
    command.fewerOperands = "no report given";
    command.moreOperands = "one report only";
    command.options = {{"--format", Value::OneOf, "text|github", "", false, ""},
                       {"--verbose", Value::None, "", "", false, ""},
                       PathMapOption};
    command.help = "Prints each failed result as PATH:LINE: failed: TYPE NAME with its failed rows,\n"
                   "then the totals line.\n"
                   "  --format text      compiler-style lines (the default)\n"
                   "  --format github    GitHub Actions ::error annotations\n"
                   "  --verbose          also list the results that were not executed\n"
                   "  --path-map OLD=NEW rewrite the start of every location path (repeatable)\n"
                   "Exit status: 0 without failed results, 3 with, 255 on error.\n";
    command.run = runSummary;
    return command;
}

Command diff()
{
    Command command;
    command.name = "diff";
    command.summary = "what changed between two runs";
    command.operands = "OLD.xrd NEW.xrd";
    command.fewerOperands = "two reports are needed, OLD and NEW";
    command.options = {{"--format", Value::OneOf, "text|markdown|json", "", false, ""}};
    command.help = "Compares two runs: results are matched by their path (driver, enclosing entries,\n"
                   "name) and type; lists the added, removed, newly failed, fixed, newly not executed\n"
                   "and newly passed results. Reports written in different languages cannot be\n"
                   "compared (their types differ).\n"
                   "Exit status: 3 when a result newly failed, else 0; 255 on error.\n";
    command.run = runDiff;
    return command;
}

Command html()
{
    Command command;
    command.name = "html";
    command.summary = "the report as a static web site";
    command.operands = "REPORT.xrd";
    command.fewerOperands = "no report given";
    command.moreOperands = "one report only";
    command.options = {{"-o", Value::Folder, "DIR", "a folder", false, "no output folder given (-o DIR)"},
                       PathMapOption};
    command.help = "Writes the report as a static web site into DIR.\n";
    command.run = runHtml;
    return command;
}

} // namespace

const Command& xrdtoolCommands()
{
    static const Command root = [] {
        Command program;
        program.name = "xrdtool";
        program.help = "Reads XRD reports written by quorvanel.\n";
        program.version = XRDTOOL_VERSION;
        program.commands = {junit(), summary(), diff(), html()};
        return program;
    }();
    return root;
}

} // namespace xrdtool
