#pragma once
// File names made from entry names, shared by `junit --split` (TEST-<stem>.xml)
// and the html pages (p/<stem>.html).

#include <string>
#include <unordered_set>

namespace xrdtool {

/// Longest stem in bytes, before a "-N" repeat suffix: keeps every name well
/// under the file systems' 255-byte limit.
constexpr std::size_t MaxStem = 100;

/// The stem for `name`: ASCII letters, digits, "-" and "_" kept, every other
/// character (a whole UTF-8 sequence counts as one) becomes "_", the empty name
/// becomes "unnamed", and a stem already in `used` gets "-2", "-3", ... Stems
/// are compared without case, so that they stay distinct on case-insensitive
/// file systems. The result is added to `used` (lower-cased).
std::string fileStem(const std::string& name, std::unordered_set<std::string>& used);

} // namespace xrdtool
