#pragma once
// --path-map OLD=NEW: reports carry the paths the test compiler saw, on the
// machine it ran on (Windows paths among them); CI servers and annotation
// reporters on Linux runners want paths relative to the repository, with "/".

#include <string>
#include <vector>

namespace xrdtool {

/// An ordered list of path prefix rewrites; the first that matches applies.
/// OLD matches with "\" and "/" alike, and without regard to ASCII letter case
/// when it begins with a drive letter ("C:"); a mapped path is written with
/// "/" throughout. An empty OLD matches every relative path (one that begins
/// with neither "/", "\" nor a drive letter), so that NEW prefixes it.
class PathMap {
public:
    PathMap() = default;
    /// The map of the rules, in order (those that are no rule are left out).
    explicit PathMap(const std::vector<std::string>& rules);
    /// True when `rule` is "OLD=NEW" (OLD may be empty).
    static bool isRule(const std::string& rule);
    /// Adds "OLD=NEW" (split at the first "="); false when it is no rule.
    bool add(const std::string& rule);
    /// The path with its start rewritten by the first matching rule; the
    /// empty path (no source file) stays empty.
    std::string apply(const std::string& path) const;
    /// True when no rule was given.
    bool empty() const { return rules_.empty(); }

private:
    struct Rule {
        std::string old;
        std::string replacement;
        /// OLD begins with a drive letter: letters match in either case.
        bool anyCase = false;
    };
    static bool matches(const Rule& rule, const std::string& path);

    std::vector<Rule> rules_;
};

} // namespace xrdtool
