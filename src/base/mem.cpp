#include "base/mem.h"

#include "base/diagnostics.h"

#include <cstdlib>

namespace qv {

void* allocateOrReport(size_t size)
{
    void* block = malloc(size);
    if (!block && size != 0)
        reportOutOfMemory();
    return block;
}

} // namespace qv
