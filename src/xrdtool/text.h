#pragma once
// Text transforms the writers share: XML 1.0 escaping for the JUnit files,
// one-line forms for logs, cutting at character boundaries.

#include <cstddef>
#include <string>

namespace xrdtool {

/// Appends `text` escaped for XML 1.0 element content (or, with `attribute`, a
/// double-quoted attribute value, where line ends and tabs become references).
/// Bytes that are not valid UTF-8 and characters XML 1.0 forbids become U+FFFD,
/// never a character reference.
void appendXml(std::string& out, const std::string& text, bool attribute);

/// `text` with every control character (C0, DEL, C1) and every line or
/// paragraph separator shown as one blank, so that one text is one line.
std::string oneLine(const std::string& text);

/// The longest start of `text` of at most `limit` bytes that ends on a UTF-8
/// character boundary.
std::string cutUtf8(const std::string& text, std::size_t limit);

/// The length of the UTF-8 sequence starting at text[i] when it is valid
/// (shortest form, no surrogate, at most U+10FFFF), else 0; `code` receives it.
std::size_t utf8Sequence(const std::string& text, std::size_t i, unsigned long& code);

} // namespace xrdtool
