#pragma once
// The OTS symbol file reader and the token readers shared by both input readers.

#include "model/globals.h"
#include "model/tree.h"
#include "readers/instream.h"

#include <optional>
#include <string>
#include <string_view>

namespace qv {

/// Reads one OTS file into the tree as file `fileIndex`; 0 when read, -1 when
/// the file cannot be opened or reading it fails.
int readOtsFile(TestTree &tree, OtsGlobals &globals, const std::string &path, int fileIndex);

/// Reads the records of an already opened stream into the tree (the body of readOtsFile).
int readOtsStream(TestTree &tree, OtsGlobals &globals, InStream &in, const std::string &path,
                  int fileIndex);

/// Characters up to the delimiter (consumed, not stored); newlines are never
/// stored; at most 1023 characters are kept; a NUL ends the kept text.
std::string readToken(InStream &in, int delimiter);

/// As readToken, ending at whichever of the two delimiters comes first.
std::string readTokenUntilEither(InStream &in, int first, int second);

/// Characters up to the first occurrence of the terminator (consumed), with
/// backslashes removing themselves; cut as the OTS name field requires.
std::string readUntilText(InStream &in, const std::string &terminator);

/// strtol-style base-16 value with clamping to the signed 32-bit range, as unsigned bits.
uint32_t hexField(std::string_view text);

/// atoi-style decimal value, clamped to the signed 32-bit range.
int decimalField(std::string_view text);

} // namespace qv
