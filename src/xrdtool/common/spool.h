#pragma once
// Output held until it may be written: a JUnit suite until its counts are
// known, a summary until the report has been read to its end. The first
// MemoryLimit bytes stay in memory (most suites fit, and cost no file I/O);
// the rest goes to an anonymous temporary file, so that memory stays bounded
// whatever the report's size.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace xrdtool {

/// Bytes in memory, then in a temporary file deleted when closed.
class Spool {
public:
    Spool() = default;
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    /// False once a write failed (no temporary file could be made, a full disk).
    bool valid() const { return size_ >= 0; }
    /// Appends text; errors surface in valid() and copyTo().
    void write(const std::string& text);
    /// Bytes written so far.
    long size() const { return size_; }
    /// Copies bytes [begin, end) to `out`; false on a read or write error.
    bool copyTo(std::FILE* out, long begin, long end);
    /// Reads bytes [begin, end) into `out` (replacing its text); false on a
    /// read error.
    bool read(long begin, long end, std::string& out);
    /// Empties the spool for reuse.
    void clear();

    /// Bytes kept in memory before the temporary file is used.
    static constexpr std::size_t MemoryLimit = 2 << 20;
    /// The stream buffer of the temporary file.
    static constexpr std::size_t BufferSize = 1 << 20;

private:
    /// Makes the temporary file; false when it cannot be made.
    bool openFile();

    std::string memory_;
    /// The stream's buffer; outlives the stream (closed in the destructor's body).
    std::unique_ptr<char[]> buffer_;
    std::FILE* file_ = nullptr;
    long size_ = 0;
};

} // namespace xrdtool
