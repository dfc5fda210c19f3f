#pragma once
// A growing array stored in chunks of fixed size. Unlike a vector that doubles,
// it never holds more than one partly used chunk beyond its elements, and
// growing never copies: diff's indexes of large reports stay close to the
// bytes they need, with no moment where an old and a new copy both exist.

#include <cstddef>
#include <memory>
#include <vector>

namespace xrdtool {

/// Elements addressed by number, appended at the end, in chunks of 2^Shift.
template <typename T, unsigned Shift = 10> class ChunkedArray {
public:
    /// Appends `value`; raises std::bad_alloc when memory runs out.
    void push_back(const T& value)
    {
        if ((size_ & IndexMask) == 0 && (size_ >> Shift) == chunks_.size()) {
            std::unique_ptr<T[]> chunk(new T[ChunkLength]);
            chunks_.push_back(std::move(chunk));
        }
        chunks_[size_ >> Shift][size_ & IndexMask] = value;
        ++size_;
    }

    /// The element numbered `index` (below size()).
    T& operator[](std::size_t index) { return chunks_[index >> Shift][index & IndexMask]; }
    const T& operator[](std::size_t index) const { return chunks_[index >> Shift][index & IndexMask]; }

    /// The last element; the array must not be empty.
    T& back() { return (*this)[size_ - 1]; }

    /// Number of elements.
    std::size_t size() const { return size_; }
    /// True when there is none.
    bool empty() const { return size_ == 0; }

    /// Bytes held, for the memory budget.
    std::size_t bytes() const
    {
        return chunks_.size() * ChunkLength * sizeof(T) + chunks_.capacity() * sizeof(chunks_[0]);
    }

private:
    static constexpr std::size_t ChunkLength = std::size_t(1) << Shift;
    static constexpr std::size_t IndexMask = ChunkLength - 1;

    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};

} // namespace xrdtool
