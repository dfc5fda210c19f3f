// The table of xrdtool's commands, in the order `xrdtool --help` lists them
// (ninja's kTools is the model): name, one-line summary, operands, options,
// help and the function that runs it. A command is a row here and a folder of
// its own (see ARCHITECTURE.md).

#include "xrdtool/commands.h"

#include "xrdtool/diff/command.h"
#include "xrdtool/history/commands.h"
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

/// The history store every history command names, and the series in it.
const Option DbOption{"--db", Value::NotEmpty, "DB", "a store", false, "no store given (--db DB)"};
const Option SeriesOption{"--series", Value::NotEmpty, "NAME", "a series name"};
/// The runs of the history summary and html judge a report against.
const Option HistoryOption{"--history", Value::NotEmpty, "DB", "a store"};
const Option RunOption{"--run", Value::NotEmpty, "ID", "a run id"};
const Option HistoryFormatOption{"--format", Value::OneOf, "text|markdown|json"};

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
  --history DB       end each failed line with what the history says of it:
                     (flaky: F flips in the last W runs), (failing for N runs
                     since RUN) or (new); DB is read, never written
  --series NAME      the history's series (default: default)
  --run ID           the report's run id in the history, when it was added
                     with --run (it is not counted twice)
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

const char HtmlHelp[] = R"help(Writes the report as a static web site into DIR.
  --path-map OLD=NEW rewrite the start of every location path (repeatable)
  --history DB       the trend of the last 30 runs, the flaky results, and on
                     every failed or flaky result its streak, its note and its
                     last 30 statuses; DB is read, never written
  --series NAME      the history's series (default: default)
  --run ID           the report's run id in the history, when it was added
                     with --run (it is not counted twice)
)help";

const char HistoryHelp[] =
    R"help(Remembers runs in a store (--db DB: an SQLite file, or a PostgreSQL database
named by a postgresql:// URI) and answers questions over time: the trend, flaky
results, how long a result has been failing. Each report added is one run of a
series (--series NAME, default "default").
Exit status: 0 done, 255 on error.
)help";

const char HistoryAddHelp[] =
    R"help(Adds the report as one run of the series, in one transaction; the store is
created when it does not exist.
  --db DB            the store
  --series NAME      the series (default: default)
  --run ID           the run's id (default: the first 12 hex digits of the
                     report's SHA-256)
  --at TIME          YYYY-MM-DDTHH:MM:SS, local or with Z or +HH:MM (default:
                     the report's generation time, else its file's time)
  --revision TEXT    the source revision the run was made from
  --replace          replace a run of the same id (else that is an error)
  --path-map OLD=NEW rewrite the start of every location path (repeatable)
)help";

const char HistoryImportHelp[] =
    R"help(Adds many reports, each one run with its default id and time, one
transaction each; a report already in the series (the same bytes) is skipped,
one that cannot be read is named and the others go on (exit status 255 at the
end).
  --db DB            the store (created when it does not exist)
  --series NAME      the series (default: default)
  --path-map OLD=NEW rewrite the start of every location path (repeatable)
)help";

const char HistoryRunsHelp[] =
    R"help(Lists the runs of the series, oldest first, with their counts and the results
newly failed and fixed since the run before.
  --db DB            the store
  --series NAME      the series (default: default); one not in the store has no runs
  --last N           only the newest N runs
  --format FORMAT    text (the default), markdown or json
)help";

const char HistoryFlakyHelp[] =
    R"help(Lists the flaky results of the newest runs: those whose status flipped between
passed and failed at least K times (runs where they were inconclusive or absent
are skipped), or that passed and failed in runs of one revision; most flips
first.
  --db DB            the store
  --series NAME      the series (default: default); one not in the store has none
  --last N           the runs considered (default: 30)
  --min-flips K      the flips that make a result flaky (default: 3)
  --format FORMAT    text (the default), markdown or json
)help";

const char HistoryPruneHelp[] =
    R"help(Keeps the newest N runs of the series and forgets the others: afterwards every
answer is the one a store that only ever held those runs would give.
  --db DB            the store
  --series NAME      the series (default: default)
  --keep N           the runs kept
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
                 {{"--format", Value::OneOf, "text|github"},
                  {"--verbose"},
                  PathMapOption,
                  HistoryOption,
                  SeriesOption,
                  RunOption},
                 SummaryHelp, runSummary),
         Command("diff", "what changed between two runs", TwoReports,
                 {{"--format", Value::OneOf, "text|markdown|json"}, PathMapOption}, DiffHelp, runDiff),
         Command("html", "the report as a static web site", OneReport,
                 {{"-o", Value::Folder, "DIR", "a folder", false, "no output folder given (-o DIR)"},
                  PathMapOption,
                  HistoryOption,
                  SeriesOption,
                  RunOption},
                 HtmlHelp, runHtml),
         Command(
             "history", "every run remembered: trend, flaky results, streaks", HistoryHelp,
             {Command("add", "adds a report as one run", OneReport,
                      {DbOption,
                       SeriesOption,
                       RunOption,
                       {"--at", Value::NotEmpty, "TIME", "a time"},
                       {"--revision", Value::Any, "TEXT", "a revision"},
                       {"--replace"},
                       PathMapOption},
                      HistoryAddHelp, history::runHistoryAdd),
              Command("import", "adds many reports, one run each", {"REPORT.xrd...", "no report given", ""},
                      {DbOption, SeriesOption, PathMapOption}, HistoryImportHelp, history::runHistoryImport),
              Command("runs", "the trend: the runs and their counts", {"", "", ""},
                      {DbOption,
                       SeriesOption,
                       {"--last", Value::Count, "N", "a positive number"},
                       HistoryFormatOption},
                      HistoryRunsHelp, history::runHistoryRuns),
              Command("flaky", "the results that flip between passed and failed", {"", "", ""},
                      {DbOption,
                       SeriesOption,
                       {"--last", Value::Count, "N", "a positive number"},
                       {"--min-flips", Value::Count, "K", "a positive number"},
                       HistoryFormatOption},
                      HistoryFlakyHelp, history::runHistoryFlaky),
              Command(
                  "prune", "keeps the newest runs only", {"", "", ""},
                  {DbOption,
                   SeriesOption,
                   {"--keep", Value::Count, "N", "a positive number", false, "no count given (--keep N)"}},
                  HistoryPruneHelp, history::runHistoryPrune)})},
        XRDTOOL_VERSION);
    return root;
}

} // namespace xrdtool
