#pragma once
// How a result is named in text by the commands.

#include <string>

namespace xrdtool {

/// The name to show: `name` itself, or "(unnamed)" for the empty name (a
/// reference to `name` or to a constant: no copy per result).
const std::string& nameOrUnnamed(const std::string& name);

} // namespace xrdtool
