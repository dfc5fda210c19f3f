#include "xrdtool/html_command.h"

#include "xrdtool/cli.h"

#include <cstdio>

namespace xrdtool {

// Placeholder until the site writer lands in its own files.
int runHtmlCommand(const std::vector<std::string>&)
{
    std::fputs("xrdtool: html: not available\n", stderr);
    return kExitError;
}

} // namespace xrdtool
