#include "xrdtool/html_text.h"

#include <cstdio>

namespace xrdtool {

namespace {

const char Replacement[] = "\xEF\xBF\xBD";

/// Length of the valid UTF-8 sequence starting at s[i], or 0 when the bytes
/// there are not one (overlong forms, surrogates and values past U+10FFFF
/// included).
std::size_t utf8Length(std::string_view s, std::size_t i)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    unsigned long cp;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}

/// The largest cut point not after `limit` that does not split a character.
std::size_t cutPoint(std::string_view text, std::size_t limit)
{
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80 && limit - cut < 3)
        --cut;
    return cut;
}

} // namespace

void appendHtml(std::string &out, std::string_view text)
{
    std::size_t plain = 0; // start of the run of bytes copied as they are
    std::size_t i = 0;
    const auto flush = [&](std::size_t end) { out.append(text.data() + plain, end - plain); };
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const char *ref = nullptr;
        std::size_t len = 1;
        switch (c) {
        case '&': ref = "&amp;"; break;
        case '<': ref = "&lt;"; break;
        case '>': ref = "&gt;"; break;
        case '"': ref = "&quot;"; break;
        case '\'': ref = "&#39;"; break;
        default:
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                ref = Replacement;
            } else if (c >= 0x80) {
                len = utf8Length(text, i);
                if (len == 0) {
                    ref = Replacement;
                    len = 1;
                }
            }
        }
        if (ref) {
            flush(i);
            out += ref;
            plain = i + len;
        }
        i += len;
    }
    flush(text.size());
}

void appendHtmlCut(std::string &out, std::string_view text, std::size_t limit)
{
    if (text.size() <= limit) {
        appendHtml(out, text);
        return;
    }
    const std::size_t cut = cutPoint(text, limit);
    appendHtml(out, text.substr(0, cut));
    out += "<span class=\"cut\">\xE2\x80\xA6 ";
    appendCount(out, text.size() - cut);
    out += " more bytes not shown (the report keeps the whole text)</span>";
}

void appendHtmlName(std::string &out, std::string_view name, std::size_t limit)
{
    if (name.empty()) {
        out += "(unnamed)";
    } else if (name.size() <= limit) {
        appendHtml(out, name);
    } else {
        appendHtml(out, name.substr(0, cutPoint(name, limit)));
        out += "\xE2\x80\xA6";
    }
}

void appendCount(std::string &out, unsigned long long value)
{
    char digits[32];
    const int n = std::snprintf(digits, sizeof digits, "%llu", value);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
}

namespace detail {

void appendPathSeparator(std::string &out)
{
    out += " \xE2\x80\xBA ";
}

void appendPathGap(std::string &out, std::size_t levels)
{
    out += " \xE2\x80\xBA \xE2\x80\xA6 ";
    appendCount(out, levels);
    out += " levels \xE2\x80\xA6";
}

} // namespace detail

} // namespace xrdtool
