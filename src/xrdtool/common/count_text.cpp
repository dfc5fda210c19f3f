#include "xrdtool/common/count_text.h"

#include <cstdio>

namespace xrdtool {

void appendCount(std::string& out, unsigned long long value)
{
    char digits[32];
    const int n = std::snprintf(digits, sizeof digits, "%llu", value);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
}

void appendLevelsGap(std::string& out, std::size_t levels)
{
    out += "\xE2\x80\xA6 ";
    appendCount(out, levels);
    out += " levels \xE2\x80\xA6";
}

} // namespace xrdtool
