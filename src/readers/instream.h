#pragma once
// A buffered, unlocked input stream over a file, read one byte at a time in
// text mode: a carriage return right before a newline belongs to the line end.

#include <cstdio>
#include <memory>
#include <string>

namespace qv {

/// Sequential reader of one input file with a large private buffer.
class InStream {
public:
    /// End-of-file value of get().
    static constexpr int Eof = -1;

    InStream() = default;
    ~InStream();
    InStream(const InStream &) = delete;
    InStream &operator=(const InStream &) = delete;

    /// Opens the file for reading; false when it cannot be opened.
    bool open(const std::string &path);
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
    /// True once get() has returned Eof.
    bool atEnd() const { return eof_; }
    /// True when reading failed part-way (the file is then not a valid input).
    bool failed() const { return error_; }
    /// Closes the file.
    void close();

private:
    bool refill();

    FILE *file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::string memory_;
    const char *pos_ = nullptr;
    const char *end_ = nullptr;
    bool eof_ = false;
    bool error_ = false;
    bool textMode_ = true;
};

} // namespace qv
