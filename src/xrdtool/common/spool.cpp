#include "xrdtool/common/spool.h"

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <new>

namespace xrdtool {

Spool::~Spool()
{
    if (file_)
        std::fclose(file_);
}

bool Spool::openFile()
{
    file_ = std::tmpfile();
    if (!file_)
        return false;
    // Large blocks: a large report's suites pass through here whole, and the
    // default 4 KiB buffer would cost a system call per few testcases. The C
    // library takes the size only with a buffer of our own.
    buffer_.reset(new (std::nothrow) char[BufferSize]);
    if (buffer_)
        std::setvbuf(file_, buffer_.get(), _IOFBF, BufferSize);
    return true;
}

void Spool::write(const std::string& text)
{
    if (size_ < 0)
        return;
    std::size_t from = 0;
    if (memory_.size() < MemoryLimit) {
        // Room for all at once: growing by doubling would pass the limit.
        if (memory_.capacity() < MemoryLimit && memory_.size() + text.size() > memory_.capacity())
            memory_.reserve(MemoryLimit);
        from = std::min(text.size(), MemoryLimit - memory_.size());
        memory_.append(text, 0, from);
        size_ += long(from);
        if (from == text.size())
            return;
    }
    const std::size_t rest = text.size() - from;
    if ((!file_ && !openFile()) || std::fwrite(text.data() + from, 1, rest, file_) != rest) {
        size_ = -1; // poisoned: copyTo reports it
        return;
    }
    size_ += long(rest);
}

bool Spool::copyTo(std::FILE* out, long begin, long end)
{
    if (size_ < 0 || begin > end || end > size_)
        return false;
    const long inMemory = long(memory_.size());
    if (begin < inMemory) {
        const std::size_t take = std::size_t(std::min(end, inMemory) - begin);
        if (std::fwrite(memory_.data() + begin, 1, take, out) != take)
            return false;
        begin += long(take);
    }
    if (begin == end)
        return true;
    if (!file_ || std::fflush(file_) != 0 || std::fseek(file_, begin - inMemory, SEEK_SET) != 0)
        return false;
    constexpr std::size_t CopyBufferSize = 1 << 16;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[CopyBufferSize]);
    if (!buffer)
        return false;
    for (long left = end - begin; left > 0;) {
        const std::size_t want = left < long(CopyBufferSize) ? std::size_t(left) : CopyBufferSize;
        const std::size_t got = std::fread(buffer.get(), 1, want, file_);
        if (got == 0 || std::fwrite(buffer.get(), 1, got, out) != got)
            return false;
        left -= long(got);
    }
    return std::fseek(file_, 0, SEEK_END) == 0;
}

bool Spool::read(long begin, long end, std::string& out)
{
    out.clear();
    if (size_ < 0 || begin > end || end > size_)
        return false;
    const long inMemory = long(memory_.size());
    if (begin < inMemory) {
        const long stop = std::min(end, inMemory);
        out.assign(memory_, std::size_t(begin), std::size_t(stop - begin));
        begin = stop;
    }
    if (begin == end)
        return true;
    // Straight from the file, past the stream's buffer: pieces are read in
    // any order, and a refill of the whole buffer for each would cost more.
    const std::size_t from = out.size();
    out.resize(from + std::size_t(end - begin));
    if (!file_ || std::fflush(file_) != 0)
        return false;
    for (std::size_t done = 0; done < std::size_t(end - begin);) {
        const ssize_t got = pread(fileno(file_), &out[from + done], std::size_t(end - begin) - done,
                                  begin - inMemory + long(done));
        if (got <= 0)
            return false;
        done += std::size_t(got);
    }
    return true;
}

void Spool::clear()
{
    memory_.clear();
    size_ = 0;
    if (!file_)
        return;
    std::fflush(file_);
    if (ftruncate(fileno(file_), 0) != 0 || std::fseek(file_, 0, SEEK_SET) != 0)
        size_ = -1;
}

} // namespace xrdtool
