#pragma once
// Texts read once per run from the OTS files and shown in the report's
// information table.

#include <optional>
#include <string>

namespace qv {

/// Reader state kept over all OTS files of a run: the first "VO" and "DP" texts.
struct OtsGlobals {
    std::optional<std::string> testCompilerVersion;
    std::optional<std::string> testCompilationTime;
};

} // namespace qv
