#pragma once
// `xrdtool html`: the report as a static web site.

#include <string>
#include <vector>

namespace xrdtool {

/// Runs `xrdtool html`; `args` are the arguments after the word html. Returns the exit status.
int runHtmlCommand(const std::vector<std::string>& args);

} // namespace xrdtool
