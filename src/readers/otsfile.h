#pragma once
// The OTS symbol file reader. An OTS file is a list of records, one a line,
// each starting with its two-letter code and a blank:
//   element   CODE " " id " \"" name "\" line=" line " " key "=" parent (";" | " ")
//             then the line end, or key "=" ref ";"  (CODE a node-record kind)
//   "CK"      checksum1 " " checksum2
//   "VO"/"DP" text                                  (first one of the run kept)
//   "OF"      "\"" directory "\" \"" file name "\" " value
//   anything else: skipped to its line end
// ids, parent, ref, checksums and value are hexadecimal, line decimal (see
// tokens.h for how tokens and numbers are read).

#include "model/globals.h"
#include "model/tree.h"
#include "readers/instream.h"

#include <optional>
#include <string>
#include <string_view>

namespace qv {

/// Reads one OTS file into the tree as file `fileIndex`; false when the file
/// cannot be opened or reading it fails.
bool readOtsFile(TestTree& tree, OtsGlobals& globals, const std::string& path, int fileIndex);

namespace detail {

/// Reads the records of an already opened stream into the tree (the body of
/// readOtsFile); the file's root is named after `path` (its file name up to
/// the first "."). Open to tests, the benchmark and fuzz targets, which read
/// from memory or choose how the stream is buffered.
bool readOtsStream(TestTree& tree, OtsGlobals& globals, InStream& in, const std::string& path, int fileIndex);

} // namespace detail

} // namespace qv
