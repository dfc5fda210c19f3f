#include "readers/tokens.h"

#include <algorithm>
#include <cstring>

namespace qv {

namespace {

/// Text of `length` bytes, cut at the first NUL as a C string would be.
std::string cText(const char* data, size_t length)
{
    const void* nul = std::memchr(data, 0, length);
    if (nul)
        length = size_t(static_cast<const char*>(nul) - data);
    return std::string(data, length);
}

/// White space as the C library knows it in the "C" locale.
bool isSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

/// A number as strtol and strtoul see it: its sign, and its magnitude
/// saturated just above the largest 32-bit value.
struct ScannedNumber {
    bool negative = false;
    int64_t magnitude = 0;
};

/// Scans a number in base 10 or 16 as the C library's conversions do. The
/// text ends at its end or at a NUL, as a C string would.
ScannedNumber scanNumber(std::string_view text, int base)
{
    ScannedNumber n;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && isSpace(static_cast<unsigned char>(*p)))
        ++p;
    if (p != end && (*p == '+' || *p == '-')) {
        n.negative = *p == '-';
        ++p;
    }
    // "0x" is a prefix only when a digit follows it; otherwise the 0 is the number.
    if (base == 16 && end - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        hexDigitValue(static_cast<unsigned char>(p[2])) >= 0)
        p += 2;
    constexpr int64_t Saturated = int64_t(1) << 32;
    for (; p != end; ++p) {
        const int d = base == 16 ? hexDigitValue(static_cast<unsigned char>(*p))
                                 : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
        if (d < 0)
            break;
        n.magnitude = n.magnitude * base + d;
        if (n.magnitude > Saturated)
            n.magnitude = Saturated;
    }
    return n;
}

/// strtol-like conversion in base 10 or 16, clamped to the signed 32-bit range.
int32_t clampedNumber(std::string_view text, int base)
{
    const ScannedNumber n = scanNumber(text, base);
    if (n.negative)
        return n.magnitude > -int64_t(INT32_MIN) ? INT32_MIN : int32_t(-n.magnitude);
    return n.magnitude > INT32_MAX ? INT32_MAX : int32_t(n.magnitude);
}

/// strtoul-like conversion in base 16 with a 32-bit unsigned long: values up
/// to FFFFFFFF are kept whole (checksums and ids use all 32 bits, as the trace
/// writes them), larger ones clamp to FFFFFFFF, and a minus sign negates the
/// value modulo 2^32.
uint32_t unsignedHexNumber(std::string_view text)
{
    const ScannedNumber n = scanNumber(text, 16);
    if (n.magnitude > int64_t(UINT32_MAX))
        return UINT32_MAX;
    const uint32_t value = uint32_t(n.magnitude);
    return n.negative ? 0u - value : value;
}

/// Reads a token that ends at delimiter `first` or `second` (the same for readToken).
std::string readTokenUntil(InStream& in, int first, int second)
{
    // A token whose delimiter is buffered, with no line end, carriage return
    // or NUL before it, is taken in one copy: the byte loop below would give
    // the same.
    const std::string_view ahead = in.buffered();
    const size_t scan = std::min(ahead.size(), TokenLimit + 1);
    for (size_t i = 0; i < scan; ++i) {
        const char c = ahead[i];
        if (c == char(first) || c == char(second)) {
            std::string token(ahead.data(), i);
            in.skip(i + 1);
            return token;
        }
        if (c == '\n' || c == '\r' || c == '\0')
            break;
    }
    char buffer[TokenLimit];
    size_t length = 0;
    // Once a NUL is stored the kept text is over: later characters are only read.
    size_t limit = TokenLimit;
    for (;;) {
        const int c = in.get();
        if (c == InStream::Eof || c == first || c == second)
            break;
        if (c == '\n')
            continue;
        if (length < limit) {
            if (c == 0)
                limit = length;
            else
                buffer[length++] = char(c);
        }
    }
    return std::string(buffer, length);
}

} // namespace

std::string readToken(InStream& in, int delimiter)
{
    return readTokenUntil(in, delimiter, delimiter);
}

std::string readTokenUntilEither(InStream& in, int first, int second)
{
    return readTokenUntil(in, first, second);
}

std::string readUntilText(InStream& in, const std::string& terminator)
{
    const size_t termLength = terminator.size();
    if (termLength == 0)
        return std::string();
    // Characters are kept only while fewer than this many are kept.
    const size_t keepLimit = termLength < UntilTextBuffer - 1 ? UntilTextBuffer - 1 - termLength : 0;
    std::string stored;
    size_t matched = 0;
    bool complete = false;
    for (;;) {
        int c = in.get();
        if (c == '\\')
            c = in.get(); // the backslash removes itself; what follows is an ordinary character
        if (c == InStream::Eof)
            break;
        if (c == '\n') {
            matched = 0;
            continue;
        }
        if (stored.size() < keepLimit)
            stored.push_back(char(c));
        if (c == static_cast<unsigned char>(terminator[matched]))
            ++matched;
        else
            matched = c == static_cast<unsigned char>(terminator[0]) ? 1 : 0;
        if (matched == termLength) {
            complete = true;
            break;
        }
    }
    // The terminator's characters were stored with the rest; drop as many at the end.
    // At end of file the terminator was not seen, and everything stored is kept.
    size_t length = stored.size();
    if (complete)
        length = length > termLength ? length - termLength : 0;
    return cText(stored.data(), length);
}

uint32_t hexField(std::string_view text)
{
    // The usual field, one to seven hexadecimal digits, cannot overflow: it
    // needs none of the general rules.
    if (!text.empty() && text.size() <= 7) {
        uint32_t value = 0;
        size_t i = 0;
        for (; i < text.size(); ++i) {
            const int d = hexDigitValue(static_cast<unsigned char>(text[i]));
            if (d < 0)
                break;
            value = (value << 4) | uint32_t(d);
        }
        if (i == text.size())
            return value;
    }
    return unsignedHexNumber(text);
}

int decimalField(std::string_view text)
{
    // Likewise one to nine decimal digits.
    if (!text.empty() && text.size() <= 9) {
        int value = 0;
        size_t i = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            value = value * 10 + (text[i] - '0');
        if (i == text.size())
            return value;
    }
    return clampedNumber(text, 10);
}

} // namespace qv
