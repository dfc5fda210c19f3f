#pragma once
// How a result is named in text by the commands.

#include <string>

namespace xrdtool {

/// The name to show: the name as written, or "(unnamed)" for the empty name.
std::string nameOrUnnamed(const std::string& name);

} // namespace xrdtool
