#pragma once
// Counts as people read them, shared by the writers that show them: thousands
// separators, and the one name that stands for the levels left out of a long
// path (html's flat paths, junit's classnames).

#include <cstddef>
#include <string>

namespace xrdtool {

/// Appends `value` in decimal with thousands separators ("12,345").
void appendCount(std::string& out, unsigned long long value);

/// Appends the name that stands for `levels` names left out of a path:
/// "… 12,345 levels …".
void appendLevelsGap(std::string& out, std::size_t levels);

} // namespace xrdtool
