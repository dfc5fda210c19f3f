#pragma once
// Allocation wrapper that reports exhausted memory.

#include <cstddef>

namespace qv {

/// A block of `size` bytes from the C allocator, or null; a failed request of
/// non-zero size prints "out of memory". The caller frees the block with free().
void* allocateOrReport(size_t size);

} // namespace qv
