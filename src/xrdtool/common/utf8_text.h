#pragma once
// UTF-8 text as the writers show it: one-line forms for logs, cutting at
// character boundaries, and the validity of one character.

#include <cstddef>
#include <string>

namespace xrdtool {

/// `text` with every control character (C0, DEL, C1) and every line or
/// paragraph separator shown as one blank, so that one text is one line.
std::string oneLine(const std::string& text);

/// Appends `text` with every control character (C0, DEL, C1) and every line or
/// paragraph separator written as "\xHH" per byte (a line feed is "\x0A"), so
/// that one text is one line and nothing of it is lost. Other bytes, invalid
/// UTF-8 among them, are kept as they are.
void appendEscaped(std::string& out, const std::string& text);

/// The longest start of `text` of at most `limit` bytes that ends on a UTF-8
/// character boundary.
std::string cutUtf8(const std::string& text, std::size_t limit);

/// The length of the UTF-8 sequence starting at text[i] when it is valid
/// (shortest form, no surrogate, at most U+10FFFF), else 0; `code` receives it.
std::size_t utf8Sequence(const std::string& text, std::size_t i, unsigned long& code);

} // namespace xrdtool
