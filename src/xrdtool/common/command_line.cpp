#include "xrdtool/common/command_line.h"

#include "xrdtool/common/path_map.h"

#include <algorithm>
#include <cstdio>

namespace xrdtool {

namespace {

bool isHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

/// The words of a text, separated by blanks or by "|".
std::vector<std::string> wordsOf(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + ' ') {
        if (c != ' ' && c != '|') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

/// What the option takes, as its usage errors say: "a file name", "text, markdown or json".
std::string takesText(const Option& option)
{
    if (!option.takes.empty() || option.kind != Option::Value::OneOf)
        return option.takes.empty() ? option.value : option.takes;
    const std::vector<std::string> words = wordsOf(option.value);
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}

bool accepts(const Option& option, const std::string& value)
{
    switch (option.kind) {
    case Option::Value::None:
    case Option::Value::Any: return true;
    case Option::Value::NotEmpty: return !value.empty();
    case Option::Value::Folder: return !value.empty() && value != "-";
    case Option::Value::PathRule: return PathMap::isRule(value);
    case Option::Value::Count:
        return !value.empty() && value.size() <= 10 &&
            value.find_first_not_of("0123456789") == std::string::npos && std::stoll(value) >= 1 &&
            std::stoll(value) <= 1000000000;
    case Option::Value::OneOf:
        for (const std::string& word : wordsOf(option.value)) {
            if (value == word)
                return true;
        }
        return false;
    }
    return false;
}

/// An option in the usage line: "[-o FILE]", "-o DIR", "[--path-map OLD=NEW]...".
std::string usageOf(const Option& option)
{
    const std::string spelled = option.value.empty() ? option.name : option.name + " " + option.value;
    return (option.required.empty() ? "[" + spelled + "]" : spelled) + (option.repeatable ? "..." : "");
}

const Command* member(const Command& family, const std::string& name)
{
    for (const Command& command : family.commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

/// The row at `path` below the root.
const Command& rowAt(const Command& root, const std::vector<std::string>& path)
{
    const Command* row = &root;
    for (const std::string& name : path)
        row = member(*row, name);
    return *row;
}

/// "xrdtool history add": the program's name and the path.
std::string spelled(const Command& root, const std::vector<std::string>& path)
{
    std::string words = root.name;
    for (const std::string& name : path)
        words += " " + name;
    return words;
}

/// Prints an error once: a file's reason, or the usage problem (said by the
/// command at `path`) and the command's usage. Returns ExitError.
int printError(const Command& root, const std::vector<std::string>& path, const Error& error)
{
    if (error.kind == Error::Kind::File) {
        std::fprintf(stderr, "%s: %s: %s.\n", root.name.c_str(), error.file.c_str(), error.reason.c_str());
        return ExitError;
    }
    if (!error.reason.empty()) {
        std::string who; // "junit: ", "history add: "
        for (const std::string& name : path)
            who += name + (&name == &path.back() ? ": " : " ");
        std::fprintf(stderr, "%s: %s%s\n", root.name.c_str(), who.c_str(), error.reason.c_str());
    }
    std::fputs(helpText(root, path).c_str(), stderr);
    return ExitError;
}

/// Prints `text` on the standard output; ExitOk, or the write error.
int printOut(const Command& root, const std::string& text)
{
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? ExitOk : printError(root, {}, fileError(StandardOutput, "write error"));
}

} // namespace

/// Reads arguments by the options of a row.
class Parser {
public:
    static Result<Arguments> parse(const Command& command, const std::vector<std::string>& args)
    {
        Arguments parsed;
        for (const Option& option : command.options)
            parsed.values_[option.name];
        const std::size_t wanted = wordsOf(command.operands.words).size();
        const std::string& words = command.operands.words;
        const bool andMore = words.size() > 3 && words.compare(words.size() - 3, 3, "...") == 0;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            const Option* matched = nullptr;
            std::string value;
            for (const Option& option : command.options) {
                const std::size_t size = option.name.size();
                if (arg == option.name) {
                    matched = &option;
                    if (option.kind != Option::Value::None) {
                        if (i + 1 >= args.size())
                            return usageError(option.name + " takes " + takesText(option));
                        value = args[++i];
                    }
                    break;
                }
                // "--name=value"; a short option takes its value as the next argument only.
                if (option.kind != Option::Value::None && size > 2 && arg.size() > size + 1 &&
                    arg.compare(0, size, option.name) == 0 && arg[size] == '=') {
                    matched = &option;
                    value = arg.substr(size + 1);
                    break;
                }
            }
            if (matched) {
                if (!accepts(*matched, value))
                    return usageError(matched->name + " takes " + takesText(*matched));
                parsed.values_[matched->name].push_back(value);
                continue;
            }
            if (arg.size() > 1 && arg[0] == '-')
                return usageError("unknown option '" + arg + "'");
            if (wanted == 0)
                return usageError("unexpected operand '" + arg + "'");
            if (!command.operands.more.empty()) {
                if (parsed.operands_.size() == wanted)
                    return usageError(command.operands.more);
                if (arg.empty())
                    continue; // an empty name leaves the place open, as it always did
            }
            parsed.operands_.push_back(arg);
        }
        const std::size_t given = parsed.operands_.size();
        if (command.operands.more.empty() && !andMore ? given != wanted : given < wanted)
            return usageError(command.operands.fewer);
        for (const Option& option : command.options) {
            if (!option.required.empty() && parsed.values_[option.name].empty())
                return usageError(option.required);
        }
        return parsed;
    }
};

const std::string& Arguments::value(const std::string& option) const
{
    static const std::string none;
    const std::vector<std::string>& given = values_.at(option);
    return given.empty() ? none : given.back();
}

Result<Arguments> parseArguments(const Command& command, const std::vector<std::string>& args)
{
    return Parser::parse(command, args);
}

std::string helpText(const Command& root, const std::vector<std::string>& path)
{
    const Command& row = rowAt(root, path);
    const std::string words = spelled(root, path);
    if (row.commands.empty()) {
        std::string text = "usage: " + words;
        if (!row.operands.words.empty())
            text += " " + row.operands.words;
        for (const Option& option : row.options)
            text += " " + usageOf(option);
        return text + "\n" + row.help;
    }
    std::string text = "usage: " + words + " COMMAND [OPTIONS]\n" + row.help + "Commands:\n";
    std::size_t width = 0;
    for (const Command& command : row.commands)
        width = std::max(width, command.name.size() + 1 + command.operands.words.size());
    for (const Command& command : row.commands) {
        std::string label =
            command.name + (command.operands.words.empty() ? "" : " " + command.operands.words);
        label.resize(width + 2, ' ');
        text += "  " + label + command.summary + "\n";
    }
    text += words + " --help, " + words + " COMMAND --help";
    if (!row.version.empty())
        text += ", " + words + " --version";
    return text + "\n";
}

int runCommandLine(const Command& root, const std::vector<std::string>& args)
{
    std::vector<std::string> path;
    const Command* family = &root;
    for (std::size_t at = 0;; ++at) {
        if (at == args.size())
            return printError(root, path, usageError(std::string()));
        const std::string& word = args[at];
        if (isHelp(word))
            return printOut(root, helpText(root, path));
        if (word == "--version" && !family->version.empty())
            return printOut(root, root.name + " " + family->version + "\n");
        const Command* command = member(*family, word);
        if (!command)
            return printError(root, path, usageError("unknown command '" + word + "'"));
        path.push_back(word);
        if (!command->commands.empty()) {
            family = command;
            continue;
        }
        const std::vector<std::string> rest(args.begin() + long(at) + 1, args.end());
        for (const std::string& arg : rest) {
            if (isHelp(arg))
                return printOut(root, helpText(root, path));
        }
        const Result<Arguments> parsed = parseArguments(*command, rest);
        if (!parsed)
            return printError(root, path, parsed.error());
        const Result<int> status = command->run(*parsed);
        if (!status)
            return printError(root, path, status.error());
        return *status;
    }
}

} // namespace xrdtool
