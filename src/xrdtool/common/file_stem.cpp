#include "xrdtool/common/file_stem.h"

namespace xrdtool {

namespace {

std::string lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return text;
}

bool plain(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

} // namespace

std::string fileStem(const std::string& name, std::unordered_set<std::string>& used)
{
    std::string stem;
    for (std::size_t i = 0; i < name.size() && stem.size() < MaxStem; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (plain(c)) {
            stem += char(c);
            continue;
        }
        stem += '_';
        // Continuation bytes of the same UTF-8 character add nothing more.
        while (i + 1 < name.size() && (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80 && c >= 0xC0)
            ++i;
    }
    if (stem.empty())
        stem = "unnamed";
    std::string result = stem;
    for (long n = 2; used.count(lower(result)); ++n)
        result = stem + "-" + std::to_string(n);
    used.insert(lower(result));
    return result;
}

} // namespace xrdtool
