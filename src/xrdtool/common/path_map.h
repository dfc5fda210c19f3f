#pragma once
// --path-map OLD=NEW: reports carry the paths the test compiler saw, CI
// servers want paths relative to the repository.

#include <string>
#include <utility>
#include <vector>

namespace xrdtool {

/// An ordered list of path prefix rewrites; the first that matches applies.
class PathMap {
public:
    /// Adds "OLD=NEW" (split at the first "="); false when there is no "=" or OLD is empty.
    bool add(const std::string& rule);
    /// The path with its start rewritten by the first matching rule.
    std::string apply(const std::string& path) const;
    bool empty() const { return rules_.empty(); }

private:
    std::vector<std::pair<std::string, std::string>> rules_;
};

} // namespace xrdtool
