#pragma once
// The process's file mode creation mask, set for a scope (ccache's
// UmaskScope is the model). Outputs are made under private temporary names
// (mkstemp, mkdtemp) and are given, before they take their place, the
// permissions any new file or folder gets from the mask.

#include <sys/types.h>

#include <string>

namespace xrdtool {

/// Sets the mask for the scope and puts the one before back at its end.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask);
    ~UmaskScope();
    UmaskScope(const UmaskScope&) = delete;
    UmaskScope& operator=(const UmaskScope&) = delete;
    /// The mask in force before the scope.
    mode_t previous() const { return previous_; }

private:
    mode_t previous_;
};

/// Gives `path` the permissions a new file (0666) or folder (0777) gets from
/// the mask in force.
void grantUmaskPermissions(const std::string& path, bool folder);

} // namespace xrdtool
