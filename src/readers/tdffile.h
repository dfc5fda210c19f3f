#pragma once
// The TDF trace reader: binds trace files to OTS files, counts events on
// elements and attaches the trace's texts.

#include "model/tree.h"
#include "readers/instream.h"

#include <optional>
#include <string>

namespace qv {

/// Record values of readTdfRecord.
enum TdfRecordKind : int { TdfNone = 0, TdfSourceFile = 1, TdfCurrentFile = 2, TdfHit = 3,
                           TdfVerdict = 4, TdfNote = 5 };

/// One record of the trace with its numbers and text.
struct TdfRecord {
    int kind = TdfNone;
    uint32_t fileId = 0;
    uint32_t checksum1 = 0;
    uint32_t checksum2 = 0;
    uint32_t elementId = 0;
    int verdict = 0;
    std::string text;
};

/// Reads the trace into the tree; 0 when read, -1 when the file cannot be
/// opened or reading it fails.
int readTdfFile(TestTree &tree, const std::string &path);

/// Applies every record of an opened stream to the tree (the body of
/// readTdfFile). With `concurrent`, the records are read on a second thread
/// while this one applies them; the result is the same.
int readTdfStream(TestTree &tree, InStream &in, bool concurrent = false);

/// Reads one line of the trace.
TdfRecord readTdfRecord(InStream &in);

/// Hexadecimal number of the trace ("h" before the digits: low digit first);
/// a refused number prints its message on the error stream and gives 0.
uint32_t parseTdfHex(const std::string &text);

/// The n-th field (from 1) of the text split at single separators, or none.
std::optional<std::string> tdfField(const std::string &text, char separator, int n);

/// Decodes the text of a "NO" record (encoding, quotes and escapes).
std::string decodeTraceText(const std::string &text);

} // namespace qv
