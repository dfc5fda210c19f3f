#pragma once
// Escaping of narrow (UTF-8) text for the XRD document.

#include <string>
#include <string_view>

namespace qv {

/// Appends the escaped text to `out`: white-space simplification, then "&",
/// "\n" (the two-character escape), quote, "<" and ">" replaced; characters
/// that XML forbids become U+FFFD. Input and result are UTF-8.
void appendEscaped(std::string& out, std::string_view text);

} // namespace qv
