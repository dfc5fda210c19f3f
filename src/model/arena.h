#pragma once
// Record storage of the test tree: records are created one after the other,
// never move, and are all destroyed together.

#include <cstddef>
#include <cstdlib>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

/// Size of the largest arena chunks.
constexpr size_t HugeBlockBytes = 2 * 1024 * 1024;

namespace detail {

/// A block of HugeBlockBytes aligned to its size, offered to the kernel as
/// huge pages, to be freed with std::free; null when memory is exhausted
/// (allocateChunk turns that into std::bad_alloc). Once large chunks are
/// asked for, a thread of its own makes the next block and touches it, so
/// that the kernel's clearing of fresh memory overlaps the caller's work
/// instead of stalling it. Open to tests, which take blocks faster and slower
/// than the thread makes them.
void* allocateHugeBlock();

} // namespace detail

/// The next chunk of a growing store: 16 KiB first, then twice the last one
/// (`lastBytes`, 0 before the first) up to HugeBlockBytes, whose chunks are
/// huge blocks; never less than `minimum`. Sets `bytes` to the chunk's size;
/// free it with std::free. Throws std::bad_alloc when memory is exhausted.
void* allocateChunk(size_t lastBytes, size_t minimum, size_t& bytes);

/// Stores records of one type in chunks that grow from a few kilobytes to
/// 2 MiB. The large chunks are aligned to 2 MiB and offered to the kernel as
/// huge pages, so that a tree of a million nodes costs a few hundred page
/// faults instead of tens of thousands, and lookups in it fewer TLB misses.
template <class T> class Arena {
public:
    Arena() = default;
    ~Arena() { clear(); }
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    /// A new value-initialised record; its address stays valid until clear().
    T& emplace_back()
    {
        if (used_ == capacity_)
            grow();
        T* slot = chunks_.back().items + used_;
        new (slot) T();
        ++used_;
        ++size_;
        return *slot;
    }

    /// Number of records created since the last clear().
    size_t size() const { return size_; }

    /// Destroys every record and frees every chunk.
    void clear()
    {
        for (Chunk& c : chunks_) {
            for (size_t i = 0; i < c.count(*this); ++i)
                c.items[i].~T();
            std::free(c.items);
        }
        chunks_.clear();
        used_ = capacity_ = size_ = 0;
    }

private:
    struct Chunk {
        T* items;
        size_t capacity;
        /// Records constructed in this chunk (every chunk but the last is full).
        size_t count(const Arena& a) const { return this == &a.chunks_.back() ? a.used_ : capacity; }
    };

    void grow();

    std::vector<Chunk> chunks_;
    size_t used_ = 0;     ///< records in the last chunk
    size_t capacity_ = 0; ///< room of the last chunk
    size_t size_ = 0;
};

/// Stores byte texts (element names) one after the other in chunks that grow
/// to 2 MiB huge-page blocks, instead of one heap block per text: a million
/// names cost a few allocations and page faults. Texts never move and are
/// all freed together.
class ByteArena {
public:
    ByteArena() = default;
    ~ByteArena() { clear(); }
    ByteArena(const ByteArena&) = delete;
    ByteArena& operator=(const ByteArena&) = delete;

    /// A copy of the text, valid until clear().
    std::string_view store(std::string_view text) { return concat(std::string_view(), text); }
    /// The two texts joined in one copy, valid until clear().
    std::string_view concat(std::string_view first, std::string_view second);
    /// Frees every text.
    void clear();

private:
    /// Room for n more bytes: the current chunk, a new chunk, or a block of
    /// its own for a text larger than a chunk.
    char* allocate(size_t n);

    std::vector<char*> blocks_; ///< chunks and own blocks, freed by clear()
    char* next_ = nullptr;      ///< free room of the current chunk
    size_t room_ = 0;
    size_t chunkBytes_ = 0; ///< size of the current chunk
};

template <class T> void Arena<T>::grow()
{
    size_t bytes = 0;
    void* block = allocateChunk(chunks_.empty() ? 0 : capacity_ * sizeof(T), sizeof(T), bytes);
    chunks_.reserve(chunks_.size() + 1);
    chunks_.push_back({static_cast<T*>(block), bytes / sizeof(T)});
    used_ = 0;
    capacity_ = bytes / sizeof(T);
}

} // namespace qv
