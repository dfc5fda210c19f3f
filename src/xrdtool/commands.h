#pragma once
// The table of xrdtool's commands: what `xrdtool --help` lists, what each
// command takes and the function that runs it.

#include "xrdtool/common/command_line.h"

namespace xrdtool {

/// The root of the table: the program, with its commands.
const Command& xrdtoolCommands();

} // namespace xrdtool
