#pragma once
// A buffered, unlocked input stream over a file, read one byte at a time in
// text mode: a carriage return right before a newline belongs to the line end.
// The readers' hot loops can also look at a whole buffered line at once.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

/// Sequential reader of one input file with a large private buffer.
class InStream {
public:
    /// End-of-file value of get().
    static constexpr int Eof = -1;

    InStream() = default;
    ~InStream();
    InStream(const InStream&) = delete;
    InStream& operator=(const InStream&) = delete;

    /// Opens the file for reading; false when it cannot be opened.
    bool open(const std::string& path);
    /// Reads from a block of memory instead of a file (used by tests and fuzzing).
    void openMemory(std::string data);
    /// Next byte (0 to 255) with CR LF read as LF, or Eof at end of file or on a read error.
    int get()
    {
        if (pos_ == end_ && !refill())
            return Eof;
        int c = static_cast<unsigned char>(*pos_++);
        if (c == '\r' && textMode_) {
            if (pos_ == end_ && !refill())
                return c;
            if (*pos_ == '\n') {
                ++pos_;
                return '\n';
            }
        }
        return c;
    }
    /// Shows the next line without consuming anything: `line` gets its bytes
    /// without the line end (a newline, and a carriage return right before
    /// it), `length` the number of bytes up to and including the newline.
    /// False when no complete line is buffered and none can be (end of file
    /// without a final newline, or a line longer than the buffer); the caller
    /// then reads byte by byte. The view is valid until the next read.
    bool peekLine(std::string_view& line, size_t& length)
    {
        if (!linesShown_)
            return false;
        const void* nl = pos_ != end_ ? std::memchr(pos_, '\n', size_t(end_ - pos_)) : nullptr;
        if (!nl && !(fillLine() && (nl = std::memchr(pos_, '\n', size_t(end_ - pos_)))))
            return false;
        const char* lineEnd = static_cast<const char*>(nl);
        length = size_t(lineEnd - pos_) + 1;
        if (lineEnd != pos_ && lineEnd[-1] == '\r' && textMode_)
            --lineEnd;
        line = std::string_view(pos_, size_t(lineEnd - pos_));
        return true;
    }
    /// The bytes buffered from the current position on (possibly none, and
    /// not necessarily a whole line), for readers that can tell where a
    /// record ends themselves; empty while lines are not shown. Valid until
    /// the next read.
    std::string_view buffered() const
    {
        return linesShown_ ? std::string_view(pos_, size_t(end_ - pos_)) : std::string_view();
    }
    /// With false, peekLine shows no line and the readers read byte by byte
    /// (tests compare the two ways of reading).
    void showLines(bool on) { linesShown_ = on; }
    /// Consumes `length` bytes shown by peekLine.
    void skip(size_t length) { pos_ += length; }
    /// True once get() has returned Eof.
    bool atEnd() const { return eof_; }
    /// True when reading failed part-way (the file is then not a valid input).
    bool failed() const { return error_; }
    /// Closes the file.
    void close();

private:
    bool refill();
    bool fillLine();

    FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::string memory_;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    bool drained_ = false; ///< the file has nothing more to read
    bool eof_ = false;
    bool error_ = false;
    bool textMode_ = true;
    bool linesShown_ = true;
};

} // namespace qv
