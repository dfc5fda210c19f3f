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
    PathMap() = default;
    /// The map of the rules, in order (those that are no rule are left out).
    explicit PathMap(const std::vector<std::string>& rules);
    /// True when `rule` is "OLD=NEW" with OLD not empty.
    static bool isRule(const std::string& rule);
    /// Adds "OLD=NEW" (split at the first "="); false when it is no rule.
    bool add(const std::string& rule);
    /// The path with its start rewritten by the first matching rule.
    std::string apply(const std::string& path) const;
    bool empty() const { return rules_.empty(); }

private:
    std::vector<std::pair<std::string, std::string>> rules_;
};

} // namespace xrdtool
