#include "readers/instream.h"

#include <cstring>
#include <utility>

namespace qv {

namespace {

/// Size of one read from the file: large enough that the per-byte path
/// almost never leaves the inline part of get().
constexpr size_t BufferSize = 256 * 1024;

} // namespace

InStream::~InStream()
{
    close();
}

bool InStream::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
    if (!buffer_)
        buffer_.reset(new char[BufferSize]);
    pos_ = end_ = buffer_.get();
    // Read the first block now: a path that opens but cannot be read (a
    // directory, for one) is refused here rather than read as an empty file.
    const size_t n = std::fread(buffer_.get(), 1, BufferSize, file_);
    if (n == 0 && std::ferror(file_)) {
        error_ = true;
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    end_ = buffer_.get() + n;
    return true;
}

void InStream::openMemory(std::string data)
{
    close();
    memory_ = std::move(data);
    pos_ = memory_.data();
    end_ = pos_ + memory_.size();
    drained_ = true;
}

bool InStream::refill()
{
    if (eof_ || drained_ || !file_) {
        eof_ = true;
        return false;
    }
    const size_t n = std::fread(buffer_.get(), 1, BufferSize, file_);
    if (n == 0) {
        if (std::ferror(file_))
            error_ = true;
        drained_ = true;
        eof_ = true;
        return false;
    }
    pos_ = buffer_.get();
    end_ = pos_ + n;
    return true;
}

bool InStream::fillLine()
{
    // The unread bytes move to the front of the buffer and the rest is filled
    // from the file, so that a line cut by the block boundary becomes whole.
    if (drained_ || !file_)
        return false;
    const size_t kept = size_t(end_ - pos_);
    if (kept == BufferSize)
        return false; // a line longer than the buffer: read it byte by byte
    std::memmove(buffer_.get(), pos_, kept);
    const size_t n = std::fread(buffer_.get() + kept, 1, BufferSize - kept, file_);
    pos_ = buffer_.get();
    end_ = pos_ + kept + n;
    if (n == 0) {
        if (std::ferror(file_))
            error_ = true;
        drained_ = true; // get() reports the end once the kept bytes are read
        return false;
    }
    return true;
}

void InStream::close()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    memory_.clear();
    pos_ = end_ = nullptr;
    drained_ = false;
    eof_ = false;
    error_ = false;
}

} // namespace qv
