#pragma once
// Texts as the machine-readable and markdown outputs write them (diff's and
// the history's --format json and markdown): one escaping for all.

#include <string>

namespace xrdtool {

/// `text` as a JSON string, quotes included: `"` and `\` escaped, control
/// characters and DEL as \u00XX, a byte that is not UTF-8 as U+FFFD (JSON is UTF-8).
std::string jsonString(const std::string& text);

/// `text` on one line for a markdown table cell or list item: markdown's
/// marks escaped with a backslash, `<`, `>` and `&` as HTML references.
std::string markdownText(const std::string& text);

} // namespace xrdtool
