#pragma once
// Text encodings named in trace notes. A note may name the encoding of its
// message; the name is matched loosely against the names and aliases that the
// conversion library lists for its encodings, since test drivers spell them
// in many ways ("windows-1252", "Windows_1252", "windows,1252").

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

/// Decodes `bytes` in the encoding that `name` stands for: with the toolkit's
/// own converter when the name is one of its encodings' names (matched on
/// letters and digits alone), else with the library's
/// (detail::listedEncodingName), else in the locale's encoding.
QString decodeInNamedEncoding(std::string_view name, std::string_view bytes);

namespace detail {

/// The listed encoding name or alias that `name` stands for: the first one
/// equal to it after dropping every character that is not an ASCII letter or
/// digit, ignoring case. None when no listed name matches. Open to tests,
/// which check the matching against the library's whole list.
std::optional<std::string> listedEncodingName(std::string_view name);

} // namespace detail

} // namespace qv
