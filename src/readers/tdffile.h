#pragma once
// The TDF trace reader: applies the trace's records (tdfrecord.h) to the
// tree: binds trace files to OTS files, counts events on elements and
// attaches the trace's texts.

#include "model/tree.h"
#include "readers/instream.h"
#include "readers/tdfrecord.h"

#include <optional>
#include <string>

namespace qv {

/// Reads the trace into the tree; false when the file cannot be opened or
/// reading it fails.
bool readTdfFile(TestTree& tree, const std::string& path);

namespace detail {

/// Applies every record of an opened stream to the tree (the body of
/// readTdfFile). With `concurrent`, the records are read on a second thread
/// while this one applies them; the result is the same. Open to tests and
/// fuzz targets, which read traces from memory and choose the threading.
bool readTdfStream(TestTree& tree, InStream& in, bool concurrent = false);

} // namespace detail

} // namespace qv
