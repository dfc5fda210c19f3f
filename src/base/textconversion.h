#pragma once
// Conversions between the two text forms of the program: narrow text (bytes
// in the local 8-bit encoding, which is UTF-8 on this platform) and Unicode
// text (QString, used for everything that passes through translation).

#include <QString>
#include <string>
#include <string_view>

namespace qv {

/// Translates `source` under `context` through the application object.
/// Without a catalogue entry the source text itself comes back.
QString tr(const char* context, const char* source);

/// Unicode text to narrow text in the local 8-bit encoding.
std::string toLocal8(const QString& text);

/// Narrow text in the local 8-bit encoding to Unicode text.
QString fromLocal8(std::string_view text);

/// Unicode text to UTF-8 bytes; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(const QString& text);

/// Writes narrow text to the standard error stream as data.
void writeStderr(std::string_view text);

} // namespace qv
