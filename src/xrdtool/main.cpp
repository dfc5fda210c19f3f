// xrdtool: reads the XRD reports quorvanel writes and turns them into what CI
// servers, build logs and people read. The commands are the rows of one table
// (commands.cpp).

#include "xrdtool/commands.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Memory runs out only on absurd inputs or limits; that is an error like
    // any other, never an abort. Outputs under way are removed as their
    // owners unwind.
    try {
        return xrdtool::runCommandLine(xrdtool::xrdtoolCommands(),
                                       std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        std::fputs("xrdtool: out of memory.\n", stderr);
        return xrdtool::ExitError;
    }
}
