#pragma once
// XML 1.0 escaping for the JUnit files.

#include <string>

namespace xrdtool {

/// Appends `text` escaped for XML 1.0 element content (or, with `attribute`, a
/// double-quoted attribute value, where line ends and tabs become references).
/// Bytes that are not valid UTF-8 and characters XML 1.0 forbids become U+FFFD,
/// never a character reference.
void appendXml(std::string& out, const std::string& text, bool attribute);

} // namespace xrdtool
