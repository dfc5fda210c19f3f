#pragma once
// The two-letter record codes that start the lines of OTS files, and the
// element kinds they name.

#include "model/kinds.h"

#include <string_view>

namespace qv {

/// Kind named by a whole token; anything but an exact code gives NoKind.
ElementKind kindFromCode(std::string_view code);

/// True when an OTS line of this kind declares a tree node.
bool isNodeRecord(ElementKind kind);

} // namespace qv
