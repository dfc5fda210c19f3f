#include "model/arena.h"

#include <cstring>
#include <sys/mman.h>

namespace qv {

void adviseHugePages(void *block, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    // Only a hint: without transparent huge pages the block simply keeps
    // ordinary pages.
    madvise(block, bytes, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

namespace {

constexpr size_t FirstTextChunk = 16 * 1024;
constexpr size_t HugeTextChunk = 2 * 1024 * 1024;

} // namespace

char *ByteArena::allocate(size_t n)
{
    if (n <= room_)
        return next_;
    // A text larger than a quarter chunk gets a block of its own, so that
    // the current chunk's room is not thrown away for it.
    if (n > HugeTextChunk / 4) {
        char *own = static_cast<char *>(std::malloc(n));
        if (!own)
            throw std::bad_alloc();
        blocks_.reserve(blocks_.size() + 1);
        blocks_.push_back({own});
        return own;
    }
    const size_t bytes = chunkBytes_ == 0 ? FirstTextChunk
                         : chunkBytes_ < HugeTextChunk ? chunkBytes_ * 2
                                                       : HugeTextChunk;
    const bool huge = bytes == HugeTextChunk;
    char *chunk = static_cast<char *>(huge ? std::aligned_alloc(HugeTextChunk, HugeTextChunk)
                                           : std::malloc(bytes));
    if (!chunk)
        throw std::bad_alloc();
    if (huge)
        adviseHugePages(chunk, bytes);
    blocks_.reserve(blocks_.size() + 1);
    blocks_.push_back({chunk});
    chunkBytes_ = bytes;
    next_ = chunk;
    room_ = bytes;
    return next_;
}

std::string_view ByteArena::concat(std::string_view first, std::string_view second)
{
    const size_t n = first.size() + second.size();
    if (n == 0)
        return std::string_view();
    char *at = allocate(n);
    if (!first.empty())
        std::memcpy(at, first.data(), first.size());
    if (!second.empty())
        std::memcpy(at + first.size(), second.data(), second.size());
    if (at == next_) {
        next_ += n;
        room_ -= n;
    }
    return std::string_view(at, n);
}

void ByteArena::clear()
{
    for (const Block &b : blocks_)
        std::free(b.data);
    blocks_.clear();
    next_ = nullptr;
    room_ = 0;
    chunkBytes_ = 0;
}

} // namespace qv
