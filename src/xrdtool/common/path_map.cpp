#include "xrdtool/common/path_map.h"

namespace xrdtool {

PathMap::PathMap(const std::vector<std::string>& rules)
{
    for (const std::string& rule : rules)
        add(rule);
}

bool PathMap::isRule(const std::string& rule)
{
    const std::size_t at = rule.find('=');
    return at != std::string::npos && at != 0;
}

bool PathMap::add(const std::string& rule)
{
    if (!isRule(rule))
        return false;
    const std::size_t at = rule.find('=');
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
