#include "xrdtool/common/format_text.h"

#include "xrdtool/common/utf8_text.h"

#include <cstdio>

namespace xrdtool {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
            ++i;
        } else {
            unsigned long code = 0;
            const std::size_t length = utf8Sequence(text, i, code);
            if (length == 0) {
                out += "\xEF\xBF\xBD"; // JSON is UTF-8: a stray byte cannot pass
                ++i;
            } else {
                out.append(text, i, length);
                i += length;
            }
        }
    }
    return out + "\"";
}

std::string markdownText(const std::string& text)
{
    std::string out;
    for (char c : oneLine(text)) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '|':
        case '\\':
        case '`':
        case '*':
        case '_':
        case '[':
        case ']':
        case '#':
            out += '\\';
            out += c;
            break;
        default: out += c;
        }
    }
    return out;
}

} // namespace xrdtool
