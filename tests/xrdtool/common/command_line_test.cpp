// The command table and its one parser, on a table of their own: options that
// take a value (the last one wins), that add up, flags, "--name=value", the
// operands, the usage texts made from the rows, and a family of commands.

#include "xrdtool/common/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xrdtool {
namespace {

using Value = Option::Value;

/// What the last command run was given.
std::vector<std::string> seen;

Result<int> record(const Arguments& args)
{
    seen = args.operands();
    for (const std::string& rule : args.values("--map"))
        seen.push_back("map " + rule);
    seen.push_back("format " + args.value("--format"));
    seen.push_back(args.has("--keep") ? "keep" : "no keep");
    return args.operands().front() == "broken" ? Result<int>(fileError("broken", "cannot read (no)")) : 3;
}

Result<int> recordOperands(const Arguments& args)
{
    seen = args.operands();
    return 3;
}

Result<int> refuse(const Arguments&)
{
    return usageError("nothing to list");
}

/// tool, with one command and a family of two.
Command table()
{
    const std::vector<Option> addOptions = {
        {"--format", Value::OneOf, "text|markdown|json"},
        {"--map", Value::PathRule, "OLD=NEW", "", true},
        {"--keep"},
        {"-o", Value::Folder, "DIR", "a folder", false, "no folder given (-o DIR)"}};
    const Command history("history", "the runs kept", "Keeps runs.\n",
                          {Command("add", "keeps a run", Operands{"RUN", "no run given", "one run only"},
                                   addOptions, "Keeps a run.\n", record),
                           Command("runs", "lists the runs kept", Operands{}, {}, "", refuse)});
    const Command pair("pair", "two at once", Operands{"A B", "two are needed", ""}, {}, "", recordOperands);
    const Command many("many", "one or more", Operands{"X...", "none given", ""},
                       {{"--last", Value::Count, "N", "a positive number"}}, "", recordOperands);
    return Command("tool", "", "Does things.\n", {pair, history, many}, "1.2");
}

/// Runs `args`: the exit status, and what went to the standard output and the error stream.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(const std::vector<std::string>& args)
{
    const Command root = table();
    seen.clear();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = runCommandLine(root, args);
    const std::string out = testing::internal::GetCapturedStdout();
    return Outcome{status, out, testing::internal::GetCapturedStderr()};
}

TEST(CommandLine, OptionsFromTheRowLastValueWinsRepeatedOnesAddUp)
{
    const Outcome r = run({"history", "add", "--format", "text", "r1", "--map", "a=b", "--map=c=d",
                           "--format=json", "--keep", "-o", "out"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"r1", "map a=b", "map c=d", "format json", "keep"}));
    EXPECT_EQ(run({"pair", "x", "-"}).status, 3) << "\"-\" is an operand";
}

TEST(CommandLine, WrongCommandLinesSayWhatIsWrongThenTheUsage)
{
    const std::string usage = "usage: tool history add RUN [--format text|markdown|json] [--map OLD=NEW]... "
                              "[--keep] -o DIR\nKeeps a run.\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--format", "xml", "r"}, "--format takes text, markdown or json"},
        {{"r", "--map"}, "--map takes OLD=NEW"},
        {{"r", "--map", "x"}, "--map takes OLD=NEW"},
        {{"r", "-o", "-"}, "-o takes a folder"},
        {{"r", "-o="}, "unknown option '-o='"},
        {{"r", "--keep=1"}, "unknown option '--keep=1'"},
        {{"r", "s"}, "one run only"},
        {{"-o", "d"}, "no run given"},
        {{"r"}, "no folder given (-o DIR)"}};
    for (const auto& [args, problem] : cases) {
        std::vector<std::string> line{"history", "add"};
        line.insert(line.end(), args.begin(), args.end());
        const Outcome r = run(line);
        EXPECT_EQ(r.status, ExitError);
        EXPECT_EQ(r.err, "tool: history add: " + problem + "\n" + usage) << problem;
        EXPECT_TRUE(seen.empty());
    }
    EXPECT_EQ(run({"pair", "a", "b", "c"}).err.substr(0, 27), "tool: pair: two are needed\n");
    EXPECT_EQ(run({"pair", "a", "b", "c"}).status, ExitError);
    // "X...": one operand or more; a count is a whole number from 1 to a billion.
    EXPECT_EQ(run({"many", "a", "b", "c", "--last", "1000000000"}).status, 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(run({"many"}).err.substr(0, 22), "tool: many: none given");
    for (const char* count : {"0", "-1", "1x", "", "1000000001", "99999999999999999999", "+3"})
        EXPECT_EQ(run({"many", "a", "--last", count}).err.substr(0, 42),
                  "tool: many: --last takes a positive number")
            << count;
}

TEST(CommandLine, AFamilyListsItsCommandsAndRunsThem)
{
    const std::string family = "usage: tool history COMMAND [OPTIONS]\nKeeps runs.\nCommands:\n"
                               "  add RUN  keeps a run\n"
                               "  runs     lists the runs kept\n"
                               "tool history --help, tool history COMMAND --help\n";
    EXPECT_EQ(run({"history", "--help"}).out, family);
    const Outcome bare = run({"history"});
    EXPECT_EQ(bare.status, ExitError);
    EXPECT_EQ(bare.err, family);
    EXPECT_EQ(run({"history", "zap"}).err, "tool: history: unknown command 'zap'\n" + family);
    EXPECT_EQ(run({"history", "runs", "x"}).err,
              "tool: history runs: unexpected operand 'x'\nusage: tool history runs\n");
    EXPECT_EQ(run({"history", "add", "r", "--bogus", "-h"}).out.substr(0, 27), "usage: tool history add RUN");
}

TEST(CommandLine, TheRootListsItsCommandsAndErrorsArePrintedOnce)
{
    EXPECT_EQ(run({"-h"}).out,
              "usage: tool COMMAND [OPTIONS]\nDoes things.\nCommands:\n"
              "  pair A B         two at once\n"
              "  history COMMAND  the runs kept\n"
              "  many X...        one or more\n"
              "tool --help, tool COMMAND --help, tool --version\n");
    EXPECT_EQ(run({"--version", "x"}).out, "tool 1.2\n");
    EXPECT_EQ(run({"bogus", "--help"}).err.substr(0, 30), "tool: unknown command 'bogus'\n");
    const Outcome broken = run({"history", "add", "broken", "-o", "d"});
    EXPECT_EQ(broken.status, ExitError);
    EXPECT_EQ(broken.err, "tool: broken: cannot read (no).\n");
    const Outcome refused = run({"history", "runs"});
    EXPECT_EQ(refused.status, ExitError);
    EXPECT_EQ(refused.err, "tool: history runs: nothing to list\nusage: tool history runs\n");
}

} // namespace
} // namespace xrdtool
