#pragma once
// Escaping of narrow (UTF-8) text for the XRD document.

#include <string>
#include <string_view>

namespace qv {

/// The escaping transform: white-space simplification, then "&", "\n" (the
/// two-character escape), quote, "<" and ">" replaced; characters that XML
/// forbids become U+FFFD. Input and result are UTF-8.
std::string escapeText(std::string_view text);

/// Appends escapeText(text) to `out` (the allocation-free form used by the writer).
void appendEscaped(std::string& out, std::string_view text);

} // namespace qv
