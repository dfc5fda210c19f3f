#pragma once
// How a result is shown in text by the commands: its name, its location and
// its failed rows.

#include "xrd/report.h"
#include "xrdtool/common/path_map.h"

#include <string>
#include <vector>

namespace xrdtool {

/// The name to show: the name as written, or "(unnamed)" for the empty name.
std::string nameOrUnnamed(const std::string& name);

/// "PATH:LINE" of a location with the path map applied; empty when there is no
/// location or its path is empty (an OTS file without a source record).
std::string locationText(const std::optional<xrd::Location>& location, const PathMap& map);

/// One row on one line: its cells joined by " | ", preceded by "PATH:LINE: "
/// when a cell links a location.
std::string rowText(const xrd::Row& row, const PathMap& map);

/// The entry's failed rows (in its result and class-member tables), in order.
std::vector<const xrd::Row*> failedRows(const xrd::Entry& entry);

} // namespace xrdtool
