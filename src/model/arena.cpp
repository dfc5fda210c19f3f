#include "model/arena.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include <sys/mman.h>
#include <unistd.h>

namespace qv {

namespace {

/// Asks the kernel to back a 2 MiB-aligned block with huge pages (a hint only).
void adviseHugePages(void* block, size_t bytes)
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

/// Makes huge blocks ahead of need on a thread of its own: fresh memory is
/// cleared by the kernel when first touched, which on a large tree costs as
/// much as building it. One block is kept ready; a block taken is replaced
/// at once.
class HugeBlockMaker {
public:
    static HugeBlockMaker& instance()
    {
        static HugeBlockMaker maker;
        return maker;
    }

    void* take()
    {
        void* block = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!started_) {
                started_ = true;
                try {
                    worker_ = std::thread([this] { run(); });
                } catch (const std::system_error&) {
                    // No thread to be had: every block is made here, on demand.
                } catch (const std::bad_alloc&) {
                }
            }
            block = ready_;
            ready_ = nullptr;
        }
        wake_.notify_all();
        // Not ready yet (or the worker could not make one): made here.
        return block ? block : make(false);
    }

    ~HugeBlockMaker()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (worker_.joinable())
            worker_.join();
        std::free(ready_);
    }

private:
    static void* make(bool touch)
    {
        void* block = std::aligned_alloc(HugeBlockBytes, HugeBlockBytes);
        if (!block)
            return nullptr;
        adviseHugePages(block, HugeBlockBytes);
        if (touch) {
            static const size_t page = size_t(sysconf(_SC_PAGESIZE) > 0 ? sysconf(_SC_PAGESIZE) : 4096);
            for (size_t at = 0; at < HugeBlockBytes; at += page)
                static_cast<volatile char*>(block)[at] = 0;
        }
        return block;
    }

    void run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !ready_; });
            if (stopping_)
                return;
            lock.unlock();
            void* block = make(true);
            lock.lock();
            if (!block)
                return; // memory is short: blocks are made on demand from now on
            if (stopping_) {
                std::free(block);
                return;
            }
            ready_ = block;
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread worker_;
    void* ready_ = nullptr;
    bool started_ = false;
    bool stopping_ = false;
};

constexpr size_t FirstChunkBytes = 16 * 1024;

} // namespace

void* detail::allocateHugeBlock()
{
    return HugeBlockMaker::instance().take();
}

void* allocateChunk(size_t lastBytes, size_t minimum, size_t& bytes)
{
    bytes = lastBytes == 0 ? FirstChunkBytes : std::min(lastBytes * 2, HugeBlockBytes);
    bytes = std::max(bytes, minimum);
    void* chunk = bytes == HugeBlockBytes ? detail::allocateHugeBlock() : std::malloc(bytes);
    if (!chunk)
        throw std::bad_alloc();
    return chunk;
}

char* ByteArena::allocate(size_t n)
{
    if (n <= room_)
        return next_;
    // A text larger than a quarter chunk gets a block of its own, so that
    // the current chunk's room is not thrown away for it.
    if (n > HugeBlockBytes / 4) {
        char* own = static_cast<char*>(std::malloc(n));
        if (!own)
            throw std::bad_alloc();
        blocks_.reserve(blocks_.size() + 1);
        blocks_.push_back(own);
        return own;
    }
    size_t bytes = 0;
    char* chunk = static_cast<char*>(allocateChunk(chunkBytes_, 1, bytes));
    blocks_.reserve(blocks_.size() + 1);
    blocks_.push_back(chunk);
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
    char* at = allocate(n);
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
    for (char* b : blocks_)
        std::free(b);
    blocks_.clear();
    next_ = nullptr;
    room_ = 0;
    chunkBytes_ = 0;
}

} // namespace qv
