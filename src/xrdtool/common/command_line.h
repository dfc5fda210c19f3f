#pragma once
// xrdtool's command line, driven by one table (ninja's kTools is the model):
// each row is a command with its name, its one-line summary, its operands,
// its options and the function that runs it, or a family of commands
// (`xrdtool history add`, ...) whose --help lists them. One parser reads
// every command's arguments from its row: --help, unknown options, missing
// operands, options that take one value (the last one given wins), options
// that add up (--path-map), "--name=value". Usage texts come from the rows.

#include "xrdtool/common/error.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace xrdtool {

/// One option of a command.
struct Option {
    /// What the option's value must be.
    enum class Value {
        None,     ///< a flag, without value
        Any,      ///< any text, the empty one too
        NotEmpty, ///< any text but the empty one
        Folder,   ///< a folder's name: not empty, and not "-" (the standard output)
        PathRule, ///< OLD=NEW, OLD possibly empty (PathMap)
        OneOf,    ///< one of the words of `value` ("text|github")
        Count,    ///< a whole number from 1 to a billion, in decimal digits
    };

    /// A flag.
    Option(std::string name) : name(std::move(name)) {}
    /// An option with a value.
    Option(std::string name, Value kind, std::string value, std::string takes = std::string(),
           bool repeatable = false, std::string required = std::string())
        : name(std::move(name)), kind(kind), value(std::move(value)), takes(std::move(takes)),
          repeatable(repeatable), required(std::move(required))
    {}

    /// "-o", "--split".
    std::string name;
    Value kind = Value::None;
    /// The value in the usage line: "FILE", "text|github"; empty for a flag.
    std::string value;
    /// What a missing or wrong value is told: "a file name" gives "-o takes a
    /// file name"; empty: the words of a OneOf value ("text or github"), else `value`.
    std::string takes;
    /// Every value given counts (in order); else the last one given wins.
    bool repeatable = false;
    /// For an option that must be given: the problem when it is not ("no output
    /// folder given (-o DIR)"); empty for an option that may be left out.
    std::string required;
};

/// What a command was given, read by the options of its row. Options are
/// named as their row names them; another name is a mistake of the program
/// (std::out_of_range), which the tests of the command meet first.
class Arguments {
public:
    /// The arguments that are no option, in order.
    const std::vector<std::string>& operands() const { return operands_; }
    /// True when the option (of the command's row) was given.
    bool has(const std::string& option) const { return !values_.at(option).empty(); }
    /// The last value given to the option; empty when it was not given.
    const std::string& value(const std::string& option) const;
    /// Every value given to the option, in order.
    const std::vector<std::string>& values(const std::string& option) const { return values_.at(option); }

private:
    friend class Parser;
    std::vector<std::string> operands_;
    /// Per option of the row: the values given (an empty one per flag given).
    std::map<std::string, std::vector<std::string>> values_;
};

/// What a command takes besides its options, and what is said when that does not fit.
struct Operands {
    /// One word each, in the usage line: "REPORT.xrd", "OLD.xrd NEW.xrd"; a
    /// last word ending in "..." takes any number from one up ("REPORT.xrd...").
    std::string words;
    /// The problem when fewer are given: "no report given".
    std::string fewer;
    /// The problem at the first one too many: "one report only"; empty: the
    /// number is checked at the end, and any other is `fewer`.
    std::string more;
};

/// A row of the table: a command, or a family of commands.
struct Command {
    /// Runs a command: its exit status, or why it failed.
    using Run = Result<int> (*)(const Arguments&);

    /// A command that `run` runs.
    Command(std::string name, std::string summary, Operands operands, std::vector<Option> options,
            std::string help, Run run)
        : name(std::move(name)), summary(std::move(summary)), operands(std::move(operands)),
          options(std::move(options)), help(std::move(help)), run(run)
    {}
    /// A family of `commands` (the table's root, the program, has a version).
    Command(std::string name, std::string summary, std::string help, std::vector<Command> commands,
            std::string version = std::string())
        : name(std::move(name)), summary(std::move(summary)), operands{"COMMAND", "", ""},
          help(std::move(help)), commands(std::move(commands)), version(std::move(version))
    {}

    /// The word that names it: "junit".
    std::string name;
    /// One line in its family's list: "JUnit XML for CI servers".
    std::string summary;
    Operands operands;
    std::vector<Option> options;
    /// What --help says below the usage line (a family's: above its list).
    std::string help;
    /// Null for a family.
    Run run = nullptr;
    /// A family's commands.
    std::vector<Command> commands;
    /// The program's version, for `PROGRAM --version` (the table's root only).
    std::string version;
};

/// Runs the command line `args` (without the program's name) by the table
/// whose root is `root` (the program: its name, help, version and commands).
/// Help goes to the standard output; every error is printed once, as
/// "PROGRAM: FILE: REASON." or as the problem and the command's usage on the
/// error stream. Returns the exit status.
int runCommandLine(const Command& root, const std::vector<std::string>& args);

/// The --help text of `command`, reached from the root by `path` (the names of
/// the families above it and its own, "junit"; empty for the root itself).
std::string helpText(const Command& root, const std::vector<std::string>& path);

/// Reads `args` by the options of `command`: the arguments, or the problem
/// (a usage error).
Result<Arguments> parseArguments(const Command& command, const std::vector<std::string>& args);

} // namespace xrdtool
