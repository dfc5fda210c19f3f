#pragma once
// File-name helpers.

#include <string>

namespace qv {

/// Last component of a path (the file name without its directory).
std::string baseFileName(const std::string& path);

/// True when the file system reports status for the name (any kind of entry).
bool fileExists(const char* name);

} // namespace qv
