#include "report/escape.h"

#include "report/plaintext.h"

#include <cstring>

namespace qv {

namespace {

constexpr std::string_view ReplacementUtf8 = "\xEF\xBF\xBD";

/// Decodes the UTF-8 sequence that starts at p (p < end) into cp and returns
/// its length. A byte that does not start a complete, shortest-form sequence
/// of a scalar value up to U+10FFFF gives U+FFFD and length 1, so every byte
/// of a broken sequence becomes one replacement character (the decoding of
/// QString::fromUtf8).
inline size_t decodeUtf8(const unsigned char* p, const unsigned char* end, char32_t& cp)
{
    const unsigned b = p[0];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    size_t need;
    char32_t min;
    char32_t uc;
    if (b < 0xC2) {
        cp = 0xFFFD;
        return 1;
    } else if (b < 0xE0) {
        need = 2;
        min = 0x80;
        uc = b & 0x1F;
    } else if (b < 0xF0) {
        need = 3;
        min = 0x800;
        uc = b & 0x0F;
    } else if (b < 0xF5) {
        need = 4;
        min = 0x10000;
        uc = b & 0x07;
    } else {
        cp = 0xFFFD;
        return 1;
    }
    if (size_t(end - p) < need) {
        cp = 0xFFFD;
        return 1;
    }
    for (size_t k = 1; k < need; ++k) {
        const unsigned c = p[k];
        if ((c & 0xC0) != 0x80) {
            cp = 0xFFFD;
            return 1;
        }
        uc = (uc << 6) | (c & 0x3F);
    }
    if (uc < min || (uc >= 0xD800 && uc <= 0xDFFF) || uc > 0x10FFFF) {
        cp = 0xFFFD;
        return 1;
    }
    cp = uc;
    return need;
}

/// White space of the simplification: tab to carriage return and the Unicode
/// space, line and paragraph separators.
inline bool isWhiteSpace(char32_t c)
{
    if (c < 0x80)
        return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
        c == 0x202F || c == 0x205F || c == 0x3000;
}

/// Characters that XML 1.0 does not allow in a document (white space is
/// handled before this test; surrogates never come out of the decoder).
inline bool isForbidden(char32_t c)
{
    return c < 0x20 || c == 0xFFFE || c == 0xFFFF;
}

/// True when the text is printable ASCII with single blanks between words
/// only: nothing to decode, simplify or replace, only markup to escape.
inline bool isSimpleAscii(std::string_view text)
{
    const size_t n = text.size();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    if (n == 0 || p[0] == ' ' || p[n - 1] == ' ')
        return n == 0;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] < 0x20 || p[i] > 0x7F)
            return false;
        if (p[i] == ' ' && p[i + 1] == ' ') // p[n - 1] is no blank: i + 1 < n
            return false;
    }
    return true;
}

/// The escaping of a simple ASCII text: the four markup characters and the
/// two-character line-break escape replaced, everything else copied.
void appendAsciiEscaped(std::string& out, std::string_view text)
{
    const size_t n = text.size();
    size_t from = 0; // start of the bytes not yet copied
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (!Plain.special[static_cast<unsigned char>(c)])
            continue;
        const char* replacement;
        size_t skip = 1;
        switch (c) {
        case '&': replacement = "&amp;"; break;
        case '"': replacement = "&quot;"; break;
        case '<': replacement = "&lt;"; break;
        case '>': replacement = "&gt;"; break;
        case '\\':
            if (i + 1 < n && text[i + 1] == 'n') {
                replacement = "&#10;";
                skip = 2;
                break;
            }
            continue;      // a backslash of its own is copied
        default: continue; // DEL, the one other special byte here, is copied
        }
        out.append(text.data() + from, i - from);
        out.append(replacement);
        i += skip - 1;
        from = i + 1;
    }
    out.append(text.data() + from, n - from);
}

} // namespace

void appendEscaped(std::string& out, std::string_view text)
{
    if (isPlainText(text)) {
        out.append(text);
        return;
    }
    if (isSimpleAscii(text)) {
        appendAsciiEscaped(out, text);
        return;
    }
    const unsigned char* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = begin + text.size();
    const unsigned char* p = begin;
    // A byte order mark at the very start is dropped, as the decoding of the
    // local 8-bit codec does.
    if (text.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        p += 3;
    bool written = false;      // something other than white space was written
    bool pendingBlank = false; // white space seen since the last character written
    while (p < end) {
        char32_t c;
        const size_t length = decodeUtf8(p, end, c);
        if (isWhiteSpace(c)) {
            pendingBlank = written;
            p += length;
            continue;
        }
        if (pendingBlank) {
            out += ' ';
            pendingBlank = false;
        }
        written = true;
        switch (c) {
        case '&': out += "&amp;"; break;
        case '\\':
            // The two-character escape of a line break; the letter is part of it.
            if (p + 1 < end && p[1] == 'n') {
                out += "&#10;";
                p += 2;
                continue;
            }
            out += '\\';
            break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default:
            if (c == 0xFFFD || isForbidden(c))
                out += ReplacementUtf8;
            else
                out.append(reinterpret_cast<const char*>(p), length);
            break;
        }
        p += length;
    }
}

} // namespace qv
