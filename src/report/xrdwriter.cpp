#include "report/xrdwriter.h"

#include "base/text.h"
#include "model/tree.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace qv {

namespace {

/// Output is collected in a block of this size and handed to the C stream whole.
constexpr size_t BlockSize = 1 << 18;

/// Translation context of the column titles of the result tables.
constexpr const char *CellTextContext = "QUORVANEL Cell text";

constexpr std::string_view ReplacementUtf8 = "\xEF\xBF\xBD";

/// Decodes the UTF-8 sequence that starts at p (p < end) into cp and returns
/// its length. A byte that does not start a complete, shortest-form sequence
/// of a scalar value up to U+10FFFF gives U+FFFD and length 1, so every byte
/// of a broken sequence becomes one replacement character (the decoding of
/// QString::fromUtf8).
inline size_t decodeUtf8(const unsigned char *p, const unsigned char *end, char32_t &cp)
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
    return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

/// Characters that XML 1.0 does not allow in a document (white space is
/// handled before this test; surrogates never come out of the decoder).
inline bool isForbidden(char32_t c)
{
    return c < 0x20 || c == 0xFFFE || c == 0xFFFF;
}

/// Bytes that a plain text cannot hold: controls, markup characters, the
/// backslash of the line-break escape, and everything outside ASCII.
struct PlainBytes {
    bool special[256] = {};
    constexpr PlainBytes()
    {
        for (int c = 0; c < 256; ++c)
            special[c] = c < 0x20 || c > 0x7E || c == '&' || c == '\\' || c == '"' || c == '<' ||
                         c == '>';
    }
};
constexpr PlainBytes Plain;

/// True when the text needs neither simplification nor replacement: printable
/// ASCII only, no special character, blanks only single and between words.
/// Nearly every name and word of a report is such a text.
inline bool isPlainText(std::string_view text)
{
    const size_t n = text.size();
    if (n == 0)
        return true;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text.data());
    if (p[0] == ' ' || p[n - 1] == ' ')
        return false;
    size_t i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time: any special byte, or two blanks in a row
    // (also across two blocks), makes the text not plain.
    const __m128i controls = _mm_set1_epi8(0x20); // signed: also every byte from 0x80
    const __m128i del = _mm_set1_epi8(0x7F);
    const __m128i amp = _mm_set1_epi8('&'), quote = _mm_set1_epi8('"');
    const __m128i less = _mm_set1_epi8('<'), greater = _mm_set1_epi8('>');
    const __m128i backslash = _mm_set1_epi8('\\'), blank = _mm_set1_epi8(' ');
    unsigned lastBlank = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        __m128i bad = _mm_or_si128(_mm_cmplt_epi8(v, controls), _mm_cmpeq_epi8(v, del));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, quote)));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpeq_epi8(v, less), _mm_cmpeq_epi8(v, greater)));
        bad = _mm_or_si128(bad, _mm_cmpeq_epi8(v, backslash));
        if (_mm_movemask_epi8(bad))
            return false;
        const unsigned blanks = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, blank)));
        if ((blanks & (blanks >> 1)) || (lastBlank & blanks))
            return false;
        lastBlank = blanks >> 15;
    }
    // The rest byte by byte, from the last byte of the blocks so that a blank
    // pair across the border is seen.
    if (i > 0)
        --i;
#endif
    for (; i < n; ++i) {
        if (Plain.special[p[i]])
            return false;
        if (p[i] == ' ' && p[i + 1] == ' ') // p[n - 1] is no blank: i + 1 < n
            return false;
    }
    return true;
}

/// True when the text is printable ASCII with single blanks between words
/// only: nothing to decode, simplify or replace, only markup to escape.
inline bool isSimpleAscii(std::string_view text)
{
    const size_t n = text.size();
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text.data());
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
void appendAsciiEscaped(std::string &out, std::string_view text)
{
    const size_t n = text.size();
    size_t from = 0; // start of the bytes not yet copied
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (!Plain.special[static_cast<unsigned char>(c)])
            continue;
        const char *replacement;
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
            continue; // a backslash of its own is copied
        default:
            continue; // DEL, the one other special byte here, is copied
        }
        out.append(text.data() + from, i - from);
        out.append(replacement);
        i += skip - 1;
        from = i + 1;
    }
    out.append(text.data() + from, n - from);
}

} // namespace

StyleCode statusStyle(NodeStatus status)
{
    switch (status) {
    case NodeStatus::Failed:
        return StyleCode::StyleFailed;
    case NodeStatus::Passed:
        return StyleCode::StylePassed;
    default:
        return StyleCode::StylePlain;
    }
}

const char *xrodStateWord(NodeStatus status)
{
    switch (status) {
    case NodeStatus::Failed:
        return "ko";
    case NodeStatus::Passed:
        return "ok";
    default:
        return "NE";
    }
}

void appendEscaped(std::string &out, std::string_view text)
{
    if (isPlainText(text)) {
        out.append(text);
        return;
    }
    if (isSimpleAscii(text)) {
        appendAsciiEscaped(out, text);
        return;
    }
    const unsigned char *const begin = reinterpret_cast<const unsigned char *>(text.data());
    const unsigned char *const end = begin + text.size();
    const unsigned char *p = begin;
    // A byte order mark at the very start is dropped, as the decoding of the
    // local 8-bit codec does.
    if (text.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        p += 3;
    bool written = false;     // something other than white space was written
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
        case '&':
            out += "&amp;";
            break;
        case '\\':
            // The two-character escape of a line break; the letter is part of it.
            if (p + 1 < end && p[1] == 'n') {
                out += "&#10;";
                p += 2;
                continue;
            }
            out += '\\';
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            if (c == 0xFFFD || isForbidden(c))
                out += ReplacementUtf8;
            else
                out.append(reinterpret_cast<const char *>(p), length);
            break;
        }
        p += length;
    }
}

std::string escapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

XrdWriter::XrdWriter() : block_(new char[BlockSize]) {}

XrdWriter::~XrdWriter()
{
    close();
}

void XrdWriter::reset()
{
    used_ = 0;
    capacity_ = BlockSize;
    failed_ = false;
    memoryText_.clear();
    for (std::string &row : headerRows_)
        row.clear();
    translations_.clear();
}

const std::string &XrdWriter::translated(const char *context, const char *source)
{
    // A few dozen texts at most: a linear search beats hashing here.
    for (const Translation &t : translations_)
        if (t.source == source && t.context == context)
            return t.text;
    translations_.push_back({context, source, toUtf8(tr(context, source))});
    return translations_.back().text;
}

bool XrdWriter::open(const char *path)
{
    close();
    file_ = path ? std::fopen(path, "w") : nullptr;
    if (!file_)
        return false;
    memory_ = false;
    reset();
    return true;
}

void XrdWriter::openMemory()
{
    close();
    memory_ = true;
    reset();
}

bool XrdWriter::close()
{
    if (file_) {
        flush();
        if (std::fflush(file_) != 0)
            failed_ = true;
        if (std::fclose(file_) != 0)
            failed_ = true;
        file_ = nullptr;
        capacity_ = 0;
    }
    return !failed_;
}

const std::string &XrdWriter::buffer() const
{
    if (memory_)
        flush();
    return memoryText_;
}

void XrdWriter::flush() const
{
    if (used_ == 0)
        return;
    if (file_) {
        if (std::fwrite(block_.get(), 1, used_, file_) != used_)
            failed_ = true;
    } else if (memory_) {
        memoryText_.append(block_.get(), used_);
    }
    used_ = 0;
}

void XrdWriter::putLong(std::string_view s)
{
    // Without an open output everything written is dropped.
    if (capacity_ == 0)
        return;
    flush();
    if (s.size() <= capacity_) {
        std::memcpy(block_.get(), s.data(), s.size());
        used_ = s.size();
    } else if (file_) {
        if (std::fwrite(s.data(), 1, s.size(), file_) != s.size())
            failed_ = true;
    } else {
        memoryText_.append(s);
    }
}

void XrdWriter::putNumber(long long value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    put(std::string_view(digits, size_t(result.ptr - digits)));
}

void XrdWriter::writeTag(std::string_view name, bool closing)
{
    put(closing ? std::string_view("</") : std::string_view("<"));
    put(name);
    put(">\n");
}

void XrdWriter::writeEscaped(std::string_view text)
{
    if (isPlainText(text)) {
        put(text);
        return;
    }
    scratch_.clear();
    appendEscaped(scratch_, text);
    put(scratch_);
}

void XrdWriter::writeEscaped(const QString &text)
{
    writeEscaped(toUtf8(text));
}

void XrdWriter::writeTextCell(std::string_view text, StyleCode style)
{
    writeTextCellOpen(style);
    writeEscaped(text);
    put("</CELL_TEXT>\n");
}

void XrdWriter::writeTextCellOpen(StyleCode style)
{
    // Spelled out whole for each style, as writeLinkCell does: the copies
    // of literal tags are inlined, and a report writes millions of cells.
    switch (style) {
    case StyleCode::StyleTitle:
        put("<CELL_TEXT STYLE=\"Array Title\">");
        break;
    case StyleCode::StylePlain:
        put("<CELL_TEXT STYLE=\"Array\">");
        break;
    case StyleCode::StylePassed:
        put("<CELL_TEXT STYLE=\"Array Passed\">");
        break;
    default:
        put("<CELL_TEXT STYLE=\"Array Failed\">");
        break;
    }
}

void XrdWriter::writeNumberCell(long long value, StyleCode style)
{
    // Digits and a sign are plain text: nothing to escape.
    writeTextCellOpen(style);
    putNumber(value);
    put("</CELL_TEXT>\n");
}

void XrdWriter::writeLinkTarget(std::string_view path, int line)
{
    put("<LINK TARGET=\"");
    writeEscaped(path);
    put(" line ");
    putNumber(line);
    put("\">\n<TEXT>");
}

void XrdWriter::writeLinkCell(std::string_view text, StyleCode style, std::string_view path, int line)
{
    switch (style) {
    case StyleCode::StyleTitle:
        put("<CELL STYLE=\"Array Title\">");
        break;
    case StyleCode::StylePlain:
        put("<CELL STYLE=\"Array\">");
        break;
    case StyleCode::StylePassed:
        put("<CELL STYLE=\"Array Passed\">");
        break;
    default:
        put("<CELL STYLE=\"Array Failed\">");
        break;
    }
    writeLinkTarget(path, line);
    writeEscaped(text);
    put("</TEXT>\n</LINK>\n</CELL>\n");
}

void XrdWriter::writeNodeOpen(std::string_view name, std::string_view type, const char *state,
                              int sum, NodeIcon icon)
{
    put("<XROD:NODE name=\"");
    writeEscaped(name);
    put("\" type=\"");
    writeEscaped(type);
    put("\" state=\"");
    if (state)
        put(state);
    put("\"");
    if (sum >= 1) {
        put(" sum=\"");
        putNumber(sum);
        put("\"");
    }
    switch (icon) {
    case NodeIcon::MethodIcon:
        put(" icone=\"method.xpm\">");
        break;
    case NodeIcon::ClassIcon:
        put(" icone=\"class.xpm\">");
        break;
    case NodeIcon::ScriptIcon:
        put(" icone=\"testscript.xpm\">");
        break;
    default:
        put(">");
        break;
    }
}

void XrdWriter::writeTitleOpen(int level, StyleCode style, int tag)
{
    put("<TITLE LEVEL=\"");
    putNumber(level);
    put("\" TAG=\"nodex");
    putNumber(tag);
    put("\" STYLE=\"Title");
    putNumber(std::min<long long>(static_cast<long long>(level) + 1, 5));
    if (style == StyleCode::StyleFailed)
        put(" Failed\">\n");
    else if (style == StyleCode::StylePassed)
        put(" Passed\">\n");
    else
        put("\">\n");
}

void XrdWriter::writeTitle(std::string_view text, int level, StyleCode style, int tag)
{
    writeTitleOpen(level, style, tag);
    put("<TEXT>");
    writeEscaped(text);
    put("</TEXT>\n</TITLE>\n");
}

void XrdWriter::writeLinkTitle(std::string_view text, int level, StyleCode style, int tag,
                               std::string_view path, int line)
{
    writeTitleOpen(level, style, tag);
    writeLinkTarget(path, line);
    writeEscaped(text);
    put("</TEXT>\n</LINK>\n</TITLE>\n");
}

void XrdWriter::writeHeaderRow(StyleCode style, int withMethod)
{
    // Every results table starts with this row: its markup, translations
    // included, is made once per document (translators do not change while a
    // report is written).
    const bool cacheable = style >= StyleCode::StyleTitle && style <= StyleCode::StylePassed;
    std::string *cached = cacheable ? &headerRows_[int(style) * 2 + (withMethod != 0)] : nullptr;
    if (cached && !cached->empty()) {
        put(*cached);
        return;
    }
    XrdWriter row;
    row.openMemory();
    row.writeTag("ROW", false);
    if (withMethod != 0)
        row.writeTextCell(toUtf8(tr(CellTextContext, "Method")), style);
    for (const char *label : {"Expression", "Status", "Executed", "Failed", "Passed"})
        row.writeTextCell(toUtf8(tr(CellTextContext, label)), style);
    row.writeTag("ROW", true);
    put(row.buffer());
    if (cached)
        *cached = row.buffer();
}

} // namespace qv
