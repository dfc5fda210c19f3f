#pragma once
// The command line of xrdtool: usage texts, the common messages and the exit
// statuses every command shares.

#include "xrd/report.h"

#include <string>
#include <vector>

namespace xrdtool {

/// Exit statuses, as quorvanel's: 0 done, 3 failed results, 255 error.
constexpr int ExitOk = 0;
constexpr int ExitFailures = 3;
constexpr int ExitError = 255;

/// The usage text of one command ("junit", "summary", "diff", "html"), or of
/// the program for an empty or unknown name.
std::string usageText(const std::string& command);

/// Prints the usage of `command` on the error stream and returns ExitError.
int usageError(const std::string& command, const std::string& problem);

/// Prints "xrdtool: FILE: REASON." on the error stream and returns ExitError.
int fileError(const std::string& file, const std::string& reason);

/// The message for a report that could not be read or is not a report; returns ExitError.
int readError(const std::string& file, const xrd::ReadResult& result);

/// Prints the warning line, when there is one, on the error stream.
void printWarning(const std::string& line);

/// Takes an argument that no option claimed: an unknown option or a second
/// report is a usage error (returns ExitError), the first operand is the report (returns 0).
int takeReport(const std::string& command, const std::string& arg, std::string& report);

/// Splits "--name=value" into its parts; a plain argument gives no value.
/// Returns true when `arg` is the option `name` (with or without "=value").
bool optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
                 std::string& value, bool& missing);

} // namespace xrdtool
