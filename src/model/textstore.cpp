#include "model/textstore.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qv {

namespace {

/// Bytes of a record header with a 4-byte length.
constexpr size_t ShortHeader = 12;
/// Bytes of a record header whose length does not fit 4 bytes.
constexpr size_t LongHeader = 20;
/// The 4-byte length that announces an 8-byte one.
constexpr uint32_t LongLength = 0xFFFFFFFFu;

} // namespace

TraceTextStore::TraceTextStore(size_t budget, size_t chunkBytes)
    : budget_(budget), chunkBytes_(chunkBytes ? chunkBytes : DefaultChunkBytes)
{}

TraceTextStore::~TraceTextStore()
{
    if (fd_ >= 0)
        ::close(fd_);
}

uint64_t TraceTextStore::append(uint64_t prev, std::string_view text)
{
    const uint64_t ref = total_;
    char head[LongHeader];
    std::memcpy(head, &prev, sizeof prev);
    size_t headSize = ShortHeader;
    if (text.size() < LongLength) {
        const uint32_t length = uint32_t(text.size());
        std::memcpy(head + 8, &length, sizeof length);
    } else {
        const uint64_t length = text.size();
        std::memcpy(head + 8, &LongLength, sizeof LongLength);
        std::memcpy(head + 12, &length, sizeof length);
        headSize = LongHeader;
    }
    write(head, headSize);
    write(text.data(), text.size());
    ++count_;
    return ref;
}

void TraceTextStore::write(const char* data, size_t n)
{
    while (n > 0) {
        size_t take = n;
        if (mode_ == Mode::Memory) {
            if (!triedFile_ && total_ >= budget_) {
                // The memory budget is used up: the rest goes to the file, or
                // stays in memory when no file can be made.
                triedFile_ = true;
                if (openFile()) {
                    mode_ = Mode::File;
                    spilled_ = true;
                    fileStart_ = total_;
                    continue;
                }
            }
            if (!triedFile_)
                take = std::min<uint64_t>(take, budget_ - total_);
            writeMemory(total_, data, take);
        } else {
            take = std::min(take, WriteBufferBytes - bufferUsed_);
            std::memcpy(buffer_.get() + bufferUsed_, data, take);
            bufferUsed_ += take;
        }
        total_ += take;
        data += take;
        n -= take;
        if (mode_ == Mode::File && bufferUsed_ == WriteBufferBytes)
            flush();
    }
}

void TraceTextStore::writeMemory(uint64_t offset, const char* data, size_t n)
{
    while (n > 0) {
        const size_t index = size_t(offset / chunkBytes_);
        const size_t at = size_t(offset % chunkBytes_);
        if (index >= chunks_.size())
            chunks_.resize(index + 1);
        if (!chunks_[index])
            chunks_[index].reset(new char[chunkBytes_]); // left uninitialised: untouched pages cost nothing
        const size_t take = std::min(n, chunkBytes_ - at);
        std::memcpy(chunks_[index].get() + at, data, take);
        offset += take;
        data += take;
        n -= take;
    }
}

bool TraceTextStore::openFile()
{
    const char* dir = std::getenv("TMPDIR");
    std::string name = dir && *dir ? dir : "/tmp";
    name += "/qv-texts-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // Unlinked at once: the file goes away with the descriptor, however the process ends.
    ::unlink(name.c_str());
    fd_ = fd;
    buffer_.reset(new char[WriteBufferBytes]);
    bufferUsed_ = 0;
    fileWritten_ = 0;
    return true;
}

void TraceTextStore::flush()
{
    size_t done = 0;
    while (done < bufferUsed_) {
        const ssize_t n = ::write(fd_, buffer_.get() + done, bufferUsed_ - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
        fileWritten_ += uint64_t(n);
    }
    const size_t rest = bufferUsed_ - done;
    bufferUsed_ = 0;
    if (rest == 0)
        return;
    // The file cannot take more: what it holds stays readable there, the
    // unwritten bytes and everything after them are kept in memory.
    writeMemory(fileStart_ + fileWritten_, buffer_.get() + done, rest);
    buffer_.reset();
    mode_ = Mode::Memory;
}

bool TraceTextStore::header(uint64_t ref, Header& h) const
{
    if (ref >= total_ || total_ - ref < ShortHeader) {
        failed_ = true;
        return false;
    }
    char raw[LongHeader];
    if (!read(ref, ShortHeader, raw))
        return false;
    uint32_t length = 0;
    std::memcpy(&h.prev, raw, sizeof h.prev);
    std::memcpy(&length, raw + 8, sizeof length);
    h.length = length;
    h.size = ShortHeader;
    if (length == LongLength) {
        if (total_ - ref < LongHeader || !read(ref + ShortHeader, 8, raw + ShortHeader)) {
            failed_ = true;
            return false;
        }
        std::memcpy(&h.length, raw + ShortHeader, sizeof h.length);
        h.size = LongHeader;
    }
    // A record lies inside the log and links only to an earlier one.
    if (h.length > total_ - ref - h.size || (h.prev != NoText && h.prev >= ref)) {
        failed_ = true;
        return false;
    }
    return true;
}

std::string_view TraceTextStore::text(uint64_t ref, std::string& scratch) const
{
    Header h;
    if (!header(ref, h))
        return {};
    const uint64_t start = ref + h.size;
    const size_t length = size_t(h.length);
    if (const char* p = direct(start, length))
        return std::string_view(p, length);
    scratch.resize(length);
    if (!read(start, length, scratch.data()))
        return {};
    return scratch;
}

void TraceTextStore::collect(uint64_t last, std::vector<uint64_t>& refs) const
{
    refs.clear();
    // Each record links to an earlier one, so the walk ends.
    for (uint64_t ref = last; ref != NoText;) {
        Header h;
        if (!header(ref, h))
            break;
        refs.push_back(ref);
        ref = h.prev;
    }
    std::reverse(refs.begin(), refs.end());
}

const char* TraceTextStore::direct(uint64_t offset, size_t n) const
{
    if (n == 0)
        return "";
    const uint64_t end = offset + n;
    if (!inFile(offset)) {
        if (spilled_ && offset < fileStart_ && end > fileStart_)
            return nullptr; // runs on into the file
        const size_t index = size_t(offset / chunkBytes_);
        if (index != size_t((end - 1) / chunkBytes_) || index >= chunks_.size() || !chunks_[index])
            return nullptr;
        return chunks_[index].get() + offset % chunkBytes_;
    }
    if (end > fileEnd())
        return nullptr; // runs on into memory after a failed write
    const uint64_t fileOffset = offset - fileStart_;
    if (fileOffset >= fileWritten_)
        return buffer_.get() + (fileOffset - fileWritten_);
    if (end - fileStart_ > fileWritten_)
        return nullptr; // part written, part buffered
    const Window* w = window(fileOffset, n);
    return w ? w->data + fileOffset % WindowBytes : nullptr;
}

const TraceTextStore::Window* TraceTextStore::window(uint64_t fileOffset, size_t n) const
{
    const uint64_t index = fileOffset / WindowBytes;
    if ((fileOffset + n - 1) / WindowBytes != index)
        return nullptr; // crosses a window boundary
    const size_t needed = size_t(fileOffset % WindowBytes) + n;
    Window* const set = &windows_[size_t(index % WindowSets) * WindowWays];
    Window* victim = set;
    for (Window* w = set; w != set + WindowWays; ++w) {
        if (w->index == index) {
            if (needed <= w->valid) {
                w->lastUse = ++clock_;
                return w;
            }
            victim = w; // short: the file had not reached its end (a guard: it grows by whole windows)
            break;
        }
        if (w->lastUse < victim->lastUse)
            victim = w;
    }
    if (!windowMemory_) {
        windowMemory_.reset(new char[WindowCount * WindowBytes]);
        for (size_t i = 0; i < WindowCount; ++i)
            windows_[i].data = windowMemory_.get() + i * WindowBytes;
    }
    const uint64_t first = index * WindowBytes;
    const size_t size = size_t(std::min<uint64_t>(WindowBytes, fileWritten_ - first));
    victim->index = ~uint64_t(0);
    victim->valid = 0;
    if (size < needed || !readFile(first, size, victim->data)) {
        failed_ = true;
        return nullptr;
    }
    victim->index = index;
    victim->valid = size;
    victim->lastUse = ++clock_;
    return victim;
}

bool TraceTextStore::readFile(uint64_t fileOffset, size_t n, char* dst) const
{
    while (n > 0) {
        const ssize_t got = ::pread(fd_, dst, n, off_t(fileOffset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failed_ = true;
            return false;
        }
        dst += got;
        n -= size_t(got);
        fileOffset += uint64_t(got);
    }
    return true;
}

bool TraceTextStore::read(uint64_t offset, size_t n, char* dst) const
{
    while (n > 0) {
        size_t piece = 0;
        if (!inFile(offset)) {
            const uint64_t limit = spilled_ && offset < fileStart_ ? fileStart_ : total_;
            const size_t index = size_t(offset / chunkBytes_);
            const size_t at = size_t(offset % chunkBytes_);
            piece = size_t(std::min<uint64_t>({uint64_t(n), limit - offset, chunkBytes_ - at}));
            if (piece == 0 || index >= chunks_.size() || !chunks_[index]) {
                failed_ = true;
                return false;
            }
            std::memcpy(dst, chunks_[index].get() + at, piece);
        } else {
            const uint64_t fileOffset = offset - fileStart_;
            if (fileOffset >= fileWritten_) {
                piece = size_t(std::min<uint64_t>(n, fileEnd() - offset));
                std::memcpy(dst, buffer_.get() + (fileOffset - fileWritten_), piece);
            } else {
                piece = size_t(std::min<uint64_t>(n, fileWritten_ - fileOffset));
                // Within one window: through the cache; across windows or
                // larger than one: straight from the file.
                if (fileOffset / WindowBytes == (fileOffset + piece - 1) / WindowBytes) {
                    const Window* w = window(fileOffset, piece);
                    if (!w)
                        return false;
                    std::memcpy(dst, w->data + fileOffset % WindowBytes, piece);
                } else if (!readFile(fileOffset, piece, dst)) {
                    return false;
                }
            }
        }
        offset += piece;
        dst += piece;
        n -= piece;
    }
    return true;
}

void TraceTextStore::clear()
{
    std::vector<std::unique_ptr<char[]>>().swap(chunks_);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    buffer_.reset();
    bufferUsed_ = 0;
    for (Window& w : windows_)
        w = Window();
    windowMemory_.reset();
    clock_ = 0;
    total_ = 0;
    count_ = 0;
    mode_ = Mode::Memory;
    triedFile_ = false;
    spilled_ = false;
    fileStart_ = 0;
    fileWritten_ = 0;
    failed_ = false;
}

} // namespace qv
