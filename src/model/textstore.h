#pragma once
// Texts attached to test-tree nodes from the trace, kept in bounded memory:
// an append-only log whose first bytes stay in memory and whose rest goes to
// an anonymous temporary file, so that a longer trace costs disk, not memory.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

/// Append-only log of texts, each record linked to the previous text of the
/// same node. A record is [previous reference: 8 bytes][length: 4 bytes]
/// [bytes]; a length of 0xFFFFFFFF is followed by the real length in 8 bytes.
/// A reference is the offset of the record in the log. The first `budget`
/// bytes live in memory, the rest in an unlinked temporary file (in $TMPDIR,
/// else /tmp); when that file cannot be made or written, the rest stays in
/// memory instead, so no text is ever lost.
class TraceTextStore {
public:
    /// Reference of "no text": the previous text of a node's first text.
    static constexpr uint64_t NoText = ~uint64_t(0);
    /// Bytes of log kept in memory before the temporary file is used.
    static constexpr size_t DefaultBudget = size_t(8) << 20;
    /// Size of the in-memory chunks.
    static constexpr size_t DefaultChunkBytes = size_t(1) << 20;
    /// Size of the write buffer of the file.
    static constexpr size_t WriteBufferBytes = size_t(64) << 10;
    /// Size of a cached window of the file. Small, because the texts of one
    /// node are often scattered over the whole file: a window read for one
    /// record should cost little.
    static constexpr size_t WindowBytes = size_t(4) << 10;
    /// The window cache: sets of ways, a window's set chosen by its position,
    /// so that neighbouring windows fall in different sets.
    static constexpr size_t WindowWays = 8;
    static constexpr size_t WindowSets = 32;
    static constexpr size_t WindowCount = WindowWays * WindowSets;

    /// An empty store; chunkBytes smaller than the default serve tests.
    explicit TraceTextStore(size_t budget = DefaultBudget, size_t chunkBytes = DefaultChunkBytes);
    ~TraceTextStore();
    TraceTextStore(const TraceTextStore&) = delete;
    TraceTextStore& operator=(const TraceTextStore&) = delete;

    /// Appends a text whose node's previous text is `prev` (or NoText);
    /// returns the reference of the new record.
    uint64_t append(uint64_t prev, std::string_view text);
    /// The text of a record. The view points into the store or into scratch and
    /// stays valid until the next read from the store or change of scratch.
    /// Empty, with failed() set, when the record cannot be read.
    std::string_view text(uint64_t ref, std::string& scratch) const;
    /// The references of a node's texts in arrival order, from the reference
    /// of its last text (NoText: none). Stops, with failed() set, at a
    /// record that cannot be read.
    void collect(uint64_t last, std::vector<uint64_t>& refs) const;
    /// Frees every record, the file included; the store is then empty and usable.
    void clear();

    /// True once a read of the temporary file failed: some text was not given back.
    bool failed() const { return failed_; }
    /// Number of records appended since the last clear().
    size_t count() const { return count_; }
    /// Bytes of log appended since the last clear().
    uint64_t size() const { return total_; }
    /// Bytes of log held by the temporary file (written or buffered).
    uint64_t fileBytes() const { return fileEnd() - fileStart_; }

private:
    /// Where appended bytes go.
    enum class Mode { Memory, File };

    /// Header of a record read back.
    struct Header {
        uint64_t prev = NoText;
        uint64_t length = 0;
        uint64_t size = 0; ///< bytes of the header itself
    };
    /// One cached window of the file: bytes [index * WindowBytes, + valid),
    /// kept at `data`, a slot of the cache's memory.
    struct Window {
        uint64_t index = ~uint64_t(0);
        size_t valid = 0;
        uint64_t lastUse = 0;
        char* data = nullptr;
    };

    /// End (exclusive) of the file's part of the log.
    uint64_t fileEnd() const { return spilled_ ? fileStart_ + fileWritten_ + bufferUsed_ : fileStart_; }
    /// True when the log byte at this offset is in the file or the write buffer.
    bool inFile(uint64_t offset) const { return spilled_ && offset >= fileStart_ && offset < fileEnd(); }
    /// Appends bytes at the end of the log.
    void write(const char* data, size_t n);
    /// Copies bytes into the memory chunks at their log offset.
    void writeMemory(uint64_t offset, const char* data, size_t n);
    /// Creates the temporary file; false when it cannot be made.
    bool openFile();
    /// Writes the write buffer to the file; on a failure, moves the unwritten
    /// bytes to memory and stops using the file.
    void flush();
    /// Reads a record's header; false (failed() set) when it cannot.
    bool header(uint64_t ref, Header& h) const;
    /// Copies log bytes [offset, offset + n) to dst; false (failed() set) when it cannot.
    bool read(uint64_t offset, size_t n, char* dst) const;
    /// The address of log bytes [offset, offset + n) when they lie together in
    /// one chunk, the write buffer or one window of the file; else null.
    const char* direct(uint64_t offset, size_t n) const;
    /// The window holding file bytes up to fileOffset + n, loaded when needed; null on failure.
    const Window* window(uint64_t fileOffset, size_t n) const;
    /// Reads file bytes with pread, all of them or false.
    bool readFile(uint64_t fileOffset, size_t n, char* dst) const;

    size_t budget_;
    size_t chunkBytes_;
    std::vector<std::unique_ptr<char[]>> chunks_; ///< by log offset / chunkBytes_; null in the file's part
    uint64_t total_ = 0;
    size_t count_ = 0;
    Mode mode_ = Mode::Memory;
    bool triedFile_ = false;
    bool spilled_ = false;     ///< the file holds log bytes [fileStart_, fileEnd())
    uint64_t fileStart_ = 0;   ///< log offset of the file's first byte
    uint64_t fileWritten_ = 0; ///< bytes written to the file
    int fd_ = -1;
    std::unique_ptr<char[]> buffer_; ///< write buffer: log bytes following the written ones
    size_t bufferUsed_ = 0;
    mutable std::array<Window, WindowCount> windows_;
    mutable std::unique_ptr<char[]>
        windowMemory_; ///< WindowCount windows, made at the first read of the file
    mutable uint64_t clock_ = 0;
    mutable bool failed_ = false;
};

} // namespace qv
