#pragma once
// Project information: the studio header file (the report step reads the one
// that KSTN_STUDIO_HEADER_FILE names). Its lines are read as those of the
// header text file are (see headertext.h).

#include "report/document.h"

#include <optional>
#include <string>

namespace qv {

/// The project values of the studio header file at `path`: each of
/// "$PROJECT_NAME", "$PROJECT_PATH", "$NAME", "$CONFIGURATION" and
/// "$WORKSPACE_NAME" takes its value from the first line that holds it. None
/// when `path` is null or names nothing that can be read as a file.
std::optional<ProjectInfo> readStudioHeader(const char* path);

namespace detail {

// The two text rules of readStudioHeader, open to tests and fuzz targets that
// try them on any text.

/// The value of a variable line: text after the first "=", cut and trimmed; none without one.
std::optional<std::string> extractValue(const char* line);
/// Path, backslash, name and ".kvx", every run of separators reduced to its first one.
std::optional<std::string> formProjectFilePath(const std::optional<std::string>& name,
                                               const std::optional<std::string>& path);

} // namespace detail

} // namespace qv
