// The table of xrdtool's commands, in the order `xrdtool --help` lists them
// (ninja's kTools is the model): name, one-line summary, operands, options,
// help and the function that runs it. A command is a row here and a folder of
// its own (see ARCHITECTURE.md).

#include "xrdtool/commands.h"

#include "xrdtool/diff/command.h"
#include "xrdtool/html/command.h"
#include "xrdtool/junit/command.h"
#include "xrdtool/summary/command.h"

namespace xrdtool {

namespace {

using Value = Option::Value;

const Operands OneReport{"REPORT.xrd", "no report given", "one report only"};
const Operands TwoReports{"OLD.xrd NEW.xrd", "two reports are needed, OLD and NEW", ""};

/// --path-map, which every command takes alike.
const Option PathMapOption{"--path-map", Value::PathRule, "OLD=NEW", "", true};

const char JunitHelp[] =
    R"help(Writes the report's results as JUnit XML: one testsuite per test driver and one
for the contracts, one testcase per result. A failure's text has a line per
failed row, PATH:LINE: what failed (Header value, ...).
  -o FILE              write to FILE ("-": the standard output, the default)
  --strict             only what junit-10.xsd and the strictest JUnit schema allow
                       (no file and line; testcase outputs in the suite's system-out)
  --split DIR          one file per suite, DIR/TEST-<name>.xml (GitLab reads at most
                       31457280 bytes of one file)
  --path-map OLD=NEW   rewrite the start of every location path (repeatable; "\" and
                       "/" alike; an empty OLD prefixes every relative path)
  --hostname NAME      the suites' hostname (else left out; --strict: localhost)
  --suite-prefix TEXT  put TEXT before every suite name and classname
Exit status: 0 when written, whatever the results; 255 on error.
)help";

const char SummaryHelp[] =
    R"help(Prints each failed result as PATH:LINE: failed: TYPE NAME with a line per failed
row, then the totals line.
  --format text      compiler-style lines (the default)
  --format github    GitHub Actions ::error annotations
  --verbose          also list the results that were not executed
  --path-map OLD=NEW rewrite the start of every location path (repeatable)
Exit status: 0 without failed results, 3 with, 255 on error.
)help";

const char DiffHelp[] =
    R"help(Compares two runs: results are matched by their path (driver, enclosing entries,
name) and type; lists the added, removed, newly failed, fixed, newly not executed
and newly passed results. Reports written in different languages cannot be
compared (their types differ).
  --format text|markdown|json   the list's form (text: the default)
  --path-map OLD=NEW            rewrite the start of every location path of both
                                reports (repeatable)
Exit status: 3 when a result newly failed, else 0; 255 on error.
)help";

} // namespace

const Command& xrdtoolCommands()
{
    static const Command root(
        "xrdtool", "", "Reads XRD reports written by quorvanel.\n",
        {Command("junit", "JUnit XML for CI servers", OneReport,
                 {{"-o", Value::Any, "FILE", "a file name"},
                  {"--strict"},
                  {"--split", Value::NotEmpty, "DIR", "a folder"},
                  PathMapOption,
                  {"--hostname", Value::NotEmpty, "NAME", "a host name"},
                  {"--suite-prefix", Value::Any, "TEXT", "a text"}},
                 JunitHelp, runJunit),
         Command("summary", "failed results and totals for the build log", OneReport,
                 {{"--format", Value::OneOf, "text|github"}, {"--verbose"}, PathMapOption}, SummaryHelp,
                 runSummary),
         Command("diff", "what changed between two runs", TwoReports,
                 {{"--format", Value::OneOf, "text|markdown|json"}, PathMapOption}, DiffHelp, runDiff),
         Command("html", "the report as a static web site", OneReport,
                 {{"-o", Value::Folder, "DIR", "a folder", false, "no output folder given (-o DIR)"},
                  PathMapOption},
                 "Writes the report as a static web site into DIR.\n", runHtml)},
        XRDTOOL_VERSION);
    return root;
}

} // namespace xrdtool
