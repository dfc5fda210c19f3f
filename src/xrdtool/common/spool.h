#pragma once
// An anonymous temporary file that holds output until it may be written: a
// JUnit suite until its counts are known, a summary until the report has been
// read to its end. Keeps memory bounded whatever the report's size.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace xrdtool {

/// A temporary file, deleted when closed.
class Spool {
public:
    Spool();
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    /// False when no temporary file could be made.
    bool valid() const { return file_ != nullptr; }
    /// Appends text; errors surface in copyTo().
    void write(const std::string& text);
    /// Bytes written so far.
    long size() const { return size_; }
    /// Copies bytes [begin, end) to `out`; false on a read or write error.
    bool copyTo(std::FILE* out, long begin, long end);
    /// Empties the spool for reuse.
    void clear();

    /// The stream buffer of the temporary file.
    static constexpr std::size_t BufferSize = 1 << 20;

private:
    /// The stream's buffer; outlives the stream (closed in the destructor's body).
    std::unique_ptr<char[]> buffer_;
    std::FILE* file_ = nullptr;
    long size_ = 0;
};

} // namespace xrdtool
