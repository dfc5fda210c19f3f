#include "xrdtool/common/spool.h"

#include <unistd.h>

#include <memory>
#include <new>

namespace xrdtool {

Spool::Spool() : file_(std::tmpfile())
{
    // Large blocks: a large report's suites pass through here whole, and the
    // default 4 KiB buffer would cost a system call per few testcases. The C
    // library takes the size only with a buffer of our own.
    buffer_.reset(new (std::nothrow) char[BufferSize]);
    if (file_ && buffer_)
        std::setvbuf(file_, buffer_.get(), _IOFBF, BufferSize);
}

Spool::~Spool()
{
    if (file_)
        std::fclose(file_);
}

void Spool::write(const std::string& text)
{
    if (file_ && std::fwrite(text.data(), 1, text.size(), file_) == text.size())
        size_ += long(text.size());
    else if (file_)
        size_ = -1; // poisoned: copyTo reports it
}

bool Spool::copyTo(std::FILE* out, long begin, long end)
{
    if (!file_ || size_ < 0 || std::fflush(file_) != 0 || std::fseek(file_, begin, SEEK_SET) != 0)
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

void Spool::clear()
{
    if (!file_)
        return;
    std::fflush(file_);
    if (ftruncate(fileno(file_), 0) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
        size_ = -1;
        return;
    }
    size_ = 0;
}

} // namespace xrdtool
