#include "xrdtool/common/path_map.h"

namespace xrdtool {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool hasDriveLetter(const std::string& path)
{
    return path.size() >= 2 && isLetter(path[0]) && path[1] == ':';
}

bool isRelative(const std::string& path)
{
    return !path.empty() && !isSeparator(path[0]) && !hasDriveLetter(path);
}

} // namespace

PathMap::PathMap(const std::vector<std::string>& rules)
{
    for (const std::string& rule : rules)
        add(rule);
}

bool PathMap::isRule(const std::string& rule)
{
    return rule.find('=') != std::string::npos;
}

bool PathMap::add(const std::string& rule)
{
    const std::size_t at = rule.find('=');
    if (at == std::string::npos)
        return false;
    Rule added{rule.substr(0, at), rule.substr(at + 1)};
    added.anyCase = hasDriveLetter(added.old);
    rules_.push_back(std::move(added));
    return true;
}

bool PathMap::matches(const Rule& rule, const std::string& path)
{
    if (rule.old.empty())
        return isRelative(path);
    if (path.size() < rule.old.size())
        return false;
    for (std::size_t i = 0; i < rule.old.size(); ++i) {
        const char a = rule.old[i];
        const char b = path[i];
        if (a == b || (isSeparator(a) && isSeparator(b)) || (rule.anyCase && lower(a) == lower(b)))
            continue;
        return false;
    }
    return true;
}

std::string PathMap::apply(const std::string& path) const
{
    if (path.empty())
        return path;
    for (const Rule& rule : rules_) {
        if (!matches(rule, path))
            continue;
        std::string mapped = rule.replacement;
        mapped.append(path, rule.old.size(), std::string::npos);
        for (char& c : mapped) {
            if (c == '\\')
                c = '/';
        }
        return mapped;
    }
    return path;
}

} // namespace xrdtool
