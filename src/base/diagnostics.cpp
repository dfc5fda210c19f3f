#include "base/diagnostics.h"

#include "base/textconversion.h"

#include <QString>
#include <new>
#include <optional>

#include <unistd.h>

namespace qv {

namespace {

const char* const ErrorContext = "QVN Error";

struct MessageEntry {
    const char* text;
    Severity severity;
};

const MessageEntry Messages[] = {
    {QT_TRANSLATE_NOOP("QVN Error", "internal error: %1"), Severity::Fatal},
    {QT_TRANSLATE_NOOP("QVN Error", "out of memory"), Severity::Fatal},
    {QT_TRANSLATE_NOOP("QVN Error", "%1, no such file or directory."), Severity::Error},
    {QT_TRANSLATE_NOOP("QVN Error", "%1, file format not recognized."), Severity::Error},
    {QT_TRANSLATE_NOOP("QVN Error", "%1, permission denied;"), Severity::Error},
    {QT_TRANSLATE_NOOP("QVN Error", "(unexpected error)"), Severity::Fatal},
    {QT_TRANSLATE_NOOP("QVN Error", "%1, write error."), Severity::Error},
};

const char* const SeverityWords[] = {
    QT_TRANSLATE_NOOP("QVN Error", "info:"),           QT_TRANSLATE_NOOP("QVN Error", "warning:"),
    QT_TRANSLATE_NOOP("QVN Error", "error:"),          QT_TRANSLATE_NOOP("QVN Error", "fatal:"),
    QT_TRANSLATE_NOOP("QVN Error", "lexical error:"),  QT_TRANSLATE_NOOP("QVN Error", "syntax error:"),
    QT_TRANSLATE_NOOP("QVN Error", "semantic error:"),
};

std::optional<QString> narrowArgument(const char* text)
{
    if (!text)
        return std::nullopt;
    return fromLocal8(text);
}

} // namespace

const char* detail::messageText(MessageId id)
{
    return Messages[int(id)].text;
}

const char* detail::severityWord(Severity severity)
{
    return SeverityWords[int(severity)];
}

namespace {

/// Severity of a message.
Severity messageSeverity(MessageId id)
{
    return Messages[int(id)].severity;
}

/// Prints one diagnostic line with up to three arguments; an absent argument
/// leaves its place marker in the text.
void printMessage(MessageId id, const MessageLocation& location,
                  const std::optional<QString>& a1 = std::nullopt,
                  const std::optional<QString>& a2 = std::nullopt,
                  const std::optional<QString>& a3 = std::nullopt)
{
    writeStderr(toLocal8(QStringLiteral("%1 - ").arg(QStringLiteral("quorvanel"))));
    writeStderr(toLocal8(tr(ErrorContext, detail::severityWord(messageSeverity(id))) + QLatin1Char(' ')));
    switch (location.kind) {
    case MessageLocation::File: {
        QString where = QStringLiteral("%1:").arg(fromLocal8(location.fileName));
        if (location.line != 0)
            where += QStringLiteral("%1: ").arg(location.line);
        else
            where += QLatin1Char(' ');
        writeStderr(toLocal8(where));
        break;
    }
    case MessageLocation::CommandLine:
        writeStderr(toLocal8(tr(ErrorContext, "command line:") + QLatin1Char(' ')));
        break;
    case MessageLocation::None: break;
    }
    QString text = tr(ErrorContext, detail::messageText(id));
    for (const auto* arg : {&a1, &a2, &a3}) {
        // QString::arg replaces the lowest-numbered marker; without any marker
        // the argument is dropped (and Qt's warning is not wanted here).
        if (*arg && text.contains(QLatin1Char('%')))
            text = text.arg(**arg);
    }
    text += QLatin1Char('\n');
    writeStderr(toLocal8(text));
    fflush(stderr);
}

} // namespace

void report(MessageId id, const MessageLocation& location)
{
    printMessage(id, location);
}

void report(MessageId id, const MessageLocation& location, const char* a1)
{
    printMessage(id, location, narrowArgument(a1));
}

void report(MessageId id, const MessageLocation& location, const char* a1, const char* a2, const char* a3)
{
    printMessage(id, location, narrowArgument(a1), narrowArgument(a2), narrowArgument(a3));
}

void reportOutOfMemory()
{
    try {
        report(MessageId::OutOfMemory);
    } catch (const std::bad_alloc&) {
        static const char line[] = "\nquorvanel - fatal: out of memory\n";
        // Nothing more can be done when the error stream refuses it too.
        if (::write(STDERR_FILENO, line, sizeof line - 1) < 0)
            return;
    }
}

} // namespace qv
