#pragma once
// How `xrdtool junit` writes its files: the profile and what the command line
// adds to the report.

#include "xrdtool/common/path_map.h"

#include <string>

namespace xrdtool {

/// How the JUnit file is written.
struct JunitOptions {
    /// Only what both junit-10.xsd and the strictest published JUnit schema
    /// allow: no file and line, one system-out per suite, every suite attribute.
    bool strict = false;
    /// Largest run of testcases (and, strict, of their outputs) in one file
    /// before a suite continues in the next part (only with a split output).
    long partLimit = 25 * 1000 * 1000;
    PathMap pathMap;
    /// --hostname; empty: left out (strict: "localhost").
    std::string hostname;
    /// --suite-prefix, prepended as given to every suite name and classname.
    std::string suitePrefix;
    /// The report file's modification time (YYYY-MM-DDTHH:MM:SS), the timestamp
    /// when the report gives no generation time; may be empty.
    std::string fileTime;
};

} // namespace xrdtool
