#include "xrdtool/common/utf8_text.h"

namespace xrdtool {

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

namespace {

/// True when the byte may start a character appendEscaped writes as "\xHH".
inline bool mayEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == 0xC2 || c == 0xE2;
}

void appendHex(std::string& out, const std::string& text, std::size_t from, std::size_t length)
{
    static const char digits[] = "0123456789ABCDEF";
    for (std::size_t k = from; k < from + length; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        const char escaped[] = {'\\', 'x', digits[c >> 4], digits[c & 15]};
        out.append(escaped, sizeof escaped);
    }
}

} // namespace

void appendEscaped(std::string& out, const std::string& text)
{
    std::size_t plain = 0; // start of the bytes not yet appended
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!mayEscape(c))
            continue;
        std::size_t length = 1;
        if (c >= 0x80) {
            unsigned long code = 0;
            length = utf8Sequence(text, i, code);
            if (length == 0 || !((code >= 0x80 && code <= 0x9F) || code == 0x2028 || code == 0x2029))
                continue;
        }
        out.append(text, plain, i - plain);
        appendHex(out, text, i, length);
        i += length - 1;
        plain = i + 1;
    }
    out.append(text, plain, std::string::npos);
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
