#pragma once
// The test that lets the XRD writer copy a text unchanged: nearly every name
// and word of a report needs no escaping, and the test runs for every text
// written, so it looks at sixteen bytes at a time.

#include <cstddef>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace qv {

/// Bytes that a plain text cannot hold: controls, markup characters, the
/// backslash of the line-break escape, and everything outside ASCII.
struct PlainBytes {
    bool special[256] = {};
    constexpr PlainBytes()
    {
        for (int c = 0; c < 256; ++c)
            special[c] = c < 0x20 || c > 0x7E || c == '&' || c == '\\' || c == '"' || c == '<' || c == '>';
    }
};
/// The table of special bytes.
inline constexpr PlainBytes Plain;

/// True when the text needs neither simplification nor replacement: printable
/// ASCII only, no special character, blanks only single and between words.
/// Nearly every name and word of a report is such a text.
inline bool isPlainText(std::string_view text)
{
    const size_t n = text.size();
    if (n == 0)
        return true;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
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
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
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

} // namespace qv
