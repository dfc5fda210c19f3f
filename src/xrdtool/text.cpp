#include "xrdtool/text.h"

namespace xrdtool {

namespace {

const char Replacement[] = "\xEF\xBF\xBD";

/// The bytes that go into XML as they are: printable ASCII but the markup characters.
struct PlainBytes {
    bool plain[256] = {};
    PlainBytes()
    {
        for (int b = 0x20; b < 0x7F; ++b)
            plain[b] = b != '&' && b != '<' && b != '>' && b != '"';
    }
};
const PlainBytes PlainTable;

} // namespace

std::size_t utf8Sequence(const std::string& text, std::size_t i, unsigned long& code)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length;
    unsigned long min;
    if (c < 0x80) {
        code = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        length = 2, code = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, code = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, code = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void appendXml(std::string& out, const std::string& text, bool attribute)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        // Plain printable ASCII, the bulk of every report, goes in whole runs.
        std::size_t run = i;
        while (run < text.size() && PlainTable.plain[bytes[run]])
            ++run;
        if (run > i) {
            out.append(text, i, run - i);
            i = run;
            continue;
        }
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            ++i;
            continue;
        case '<':
            out += "&lt;";
            ++i;
            continue;
        case '>':
            out += "&gt;";
            ++i;
            continue;
        case '"':
            out += attribute ? "&quot;" : "\"";
            ++i;
            continue;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            ++i;
            continue;
        case '\r':
            out += "&#13;"; // a raw CR would be read back as a line feed
            ++i;
            continue;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            ++i;
            continue;
        default: break;
        }
        unsigned long code = 0;
        const std::size_t length = utf8Sequence(text, i, code);
        if (length == 0) {
            out += Replacement;
            ++i;
            continue;
        }
        if (code < 0x20 || code == 0xFFFE || code == 0xFFFF)
            out += Replacement;
        else
            out.append(text, i, length);
        i += length;
    }
}

std::string oneLine(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
            ++i;
            continue;
        }
        unsigned long code = 0;
        const std::size_t length = c < 0x80 ? 1 : utf8Sequence(text, i, code);
        if (length == 0) {
            out += char(c); // bytes are kept as they are
            ++i;
            continue;
        }
        if (length > 1 && ((code >= 0x80 && code <= 0x9F) || code == 0x2028 || code == 0x2029))
            out += ' ';
        else
            out.append(text, i, length);
        i += length;
    }
    return out;
}

std::string cutUtf8(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace xrdtool
