#pragma once
// How the report presents each element kind: its display name, whether it
// gets an entry of its own in a script section, whether that entry carries
// the sum attribute.

#include "model/kinds.h"

#include <QString>

namespace qv {

/// Translated display name of a kind ("QUORVANEL OtsType"); "-??-" for a
/// value without a kind, untranslated.
QString kindDisplayName(ElementKind kind);

/// Translation context of the display names.
extern const char* const KindDisplayContext;
/// Source text of a kind's display name (what kindDisplayName translates),
/// or null for a value without a kind; lets writers cache the translation.
const char* kindDisplaySource(ElementKind kind);

/// True for the kinds that get a titled entry in a script section.
bool hasReportSection(ElementKind kind);
/// True for the kinds whose browser entry carries the sum attribute.
bool isSummedKind(ElementKind kind);

} // namespace qv
