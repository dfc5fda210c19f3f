#include "xrdtool/common/umask_scope.h"

#include <sys/stat.h>

namespace xrdtool {

UmaskScope::UmaskScope(mode_t mask) : previous_(umask(mask))
{}

UmaskScope::~UmaskScope()
{
    umask(previous_);
}

void grantUmaskPermissions(const std::string& path, bool folder)
{
    mode_t mask;
    {
        // The mask can only be read by setting another one.
        const UmaskScope probe(0);
        mask = probe.previous();
    }
    chmod(path.c_str(), (folder ? 0777 : 0666) & ~mask);
}

} // namespace xrdtool
