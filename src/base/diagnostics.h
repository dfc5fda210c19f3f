#pragma once
// Diagnostics: the message table, severities and the one-line printer on the
// standard error stream.

#include <string>

namespace qv {

/// Messages of the system, in table order.
enum class MessageId : int {
    InternalError,
    OutOfMemory,
    NoSuchFile,
    FormatNotRecognized,
    PermissionDenied,
    UnexpectedError,
    WriteError,
};

/// Severities, in table order.
enum class Severity : int { Info, Warning, Error, Fatal, LexicalError, SyntaxError, SemanticError };

/// Where a message points to: nowhere, the command line, or a file with a line (0: none).
struct MessageLocation {
    enum Kind { None, CommandLine, File } kind = None;
    std::string fileName;
    int line = 0;
};

/// Prints a message without argument.
void report(MessageId id, const MessageLocation& location = {});
/// Prints a message with one narrow argument; null leaves "%1" in place.
void report(MessageId id, const MessageLocation& location, const char* a1);
/// Prints a message with three narrow arguments; each may be null.
void report(MessageId id, const MessageLocation& location, const char* a1, const char* a2, const char* a3);

/// Prints "out of memory" once; when even that finds no memory, the line is
/// written untranslated without allocating.
void reportOutOfMemory();

namespace detail {

// The source texts of the message table, open to the tests of the catalogues,
// which check that each has its translation.

/// Source text of a message (translated under "QVN Error").
const char* messageText(MessageId id);
/// Word of a severity (translated under "QVN Error").
const char* severityWord(Severity severity);

} // namespace detail

} // namespace qv
