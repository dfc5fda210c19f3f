#pragma once
// Reading trace records from bytes (the TDF grammar); applying them to the
// tree is tdffile's. A TDF file is a list of records, one a line, each
// starting with its two-letter code and a blank:
//   "SF" fileId " " checksum1 " " checksum2   binds a trace file id to the OTS
//                                            file with that checksum pair
//   "CS" fileId                               makes that file the current one
//   "OT" elementId                            the element was reached
//   "OT" elementId " " verdict                a verdict on it: 0 failed, 1 passed,
//                                            2 illegal exit, 3 multiple exit
//   "NO" "\"" ...                             a text for the next reached element
//                                            (see decodeTraceText)
//   anything else: skipped to its line end
// Ids and checksums are hexadecimal (detail::parseTdfHex), the verdict
// decimal. The code and the "SF" fields are tokens as tokens.h reads them.

#include "readers/instream.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

/// What a trace record is.
enum class TdfRecordKind : uint8_t { None, SourceFile, CurrentFile, Hit, Verdict, Note };

/// One record of the trace with its numbers and text.
struct TdfRecord {
    TdfRecordKind kind = TdfRecordKind::None;
    uint32_t fileId = 0;
    uint32_t checksum1 = 0;
    uint32_t checksum2 = 0;
    uint32_t elementId = 0;
    int verdict = 0;
    std::string text;
};

/// Decodes the text of a "NO" record (encoding, quotes and escapes).
std::string decodeTraceText(const std::string& text);

/// Records of the trace in reading order, as the lexing hands them to the
/// tree: compact, with the texts of "NO" records and the checksums of "SF"
/// records kept beside them.
struct TdfBatch {
    /// One record; `value` is the element id, or the file id of "SF"/"CS".
    struct Event {
        TdfRecordKind kind;
        uint8_t verdict; ///< 0 to 3, or 4 for any other verdict
        uint32_t value;
    };
    /// Records per batch, and bytes of texts after which a batch is handed on.
    static constexpr size_t Events = 4096;
    static constexpr size_t TextBytes = size_t(1) << 20;

    std::vector<Event> events;
    std::string texts;               ///< texts of the "NO" records, one after the other
    std::vector<size_t> textLengths; ///< one per "NO" record
    std::vector<uint32_t> checksums; ///< two per "SF" record
    bool last = false;               ///< the stream ends after this batch

    /// Empties the batch for the next records.
    void clear()
    {
        events.clear();
        texts.clear();
        textLengths.clear();
        checksums.clear();
        last = false;
    }
    /// True when the batch should be handed on.
    bool full() const { return events.size() >= Events || texts.size() >= TextBytes; }
};

/// Reads records from the stream into the batch until it is full or the
/// stream ends; `record` and `line` are reused working buffers.
void lexTdfBatch(InStream& in, TdfBatch& batch, TdfRecord& record, std::string& line);

namespace detail {

// The steps of lexTdfBatch, open to tests and fuzz targets that try them on
// any text.

/// Reads one record (one line, or more when a token runs on) into `record`:
/// the one reader of every record but the plain events, which lexTdfBatch
/// reads straight from the buffer. `line` is a reused working buffer.
void readTdfRecordInto(InStream& in, TdfRecord& record, std::string& line);

/// Hexadecimal number of the trace ("h" before the digits: low digit first);
/// a refused number prints its message on the error stream and gives 0.
uint32_t parseTdfHex(std::string_view text);

/// The n-th field (from 1) of the text split at single separators, or none.
std::optional<std::string_view> tdfField(std::string_view text, char separator, int n);

} // namespace detail

} // namespace qv
