#include "model/arena.h"

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

} // namespace qv
