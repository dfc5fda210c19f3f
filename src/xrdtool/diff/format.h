#pragma once
// The three forms of `xrdtool diff`'s lists: text for logs, markdown for
// pull-request comments, JSON for scripts.

#include "xrdtool/diff/index.h"
#include "xrdtool/diff/lists.h"

#include <cstdio>

namespace xrdtool {

/// The tables that turn record numbers back into texts.
struct DiffText {
    const NameTable& names;
    const PathTable& paths;
};

/// The output format.
enum class DiffFormat { Text, Markdown, Json };

/// Writes the lists; false on a write error.
bool writeDiff(std::FILE* out, DiffFormat format, const DiffLists& lists, const DiffText& text);

} // namespace xrdtool
