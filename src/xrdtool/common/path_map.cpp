#include "xrdtool/common/path_map.h"

namespace xrdtool {

bool PathMap::add(const std::string& rule)
{
    const std::size_t at = rule.find('=');
    if (at == std::string::npos || at == 0)
        return false;
    rules_.emplace_back(rule.substr(0, at), rule.substr(at + 1));
    return true;
}

std::string PathMap::apply(const std::string& path) const
{
    for (const auto& rule : rules_) {
        if (path.compare(0, rule.first.size(), rule.first) == 0)
            return rule.second + path.substr(rule.first.size());
    }
    return path;
}

} // namespace xrdtool
