#pragma once
// The command line: OTS names, TDF, XRD and header text file names, and the usage text.

#include <vector>

namespace qv {

/// Names of one run; every text points into the argument vector.
struct CommandLine {
    std::vector<const char*> otsFiles; ///< sized by the first pass
    int otsCount = 0;                  ///< names the second pass stored
    const char* tdfFile = nullptr;
    const char* xrdFile = nullptr;
    const char* headerTextFile = nullptr;
};

/// Fills the record; true when accepted. Prints nothing.
bool parseCommandLine(int argc, char** argv, CommandLine& commandLine);

/// Writes the usage text for the program name on the standard error stream.
void printUsage(const char* programName);

} // namespace qv
