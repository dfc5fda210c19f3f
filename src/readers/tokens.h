#pragma once
// The token and number readers shared by the OTS and the TDF reader. A token
// is read byte by byte from the stream up to its delimiter, which is consumed
// and not kept; newlines inside a token are skipped, so a token can run on
// into the next line; at most TokenLimit characters are kept, and a NUL ends
// the kept text as it ends a C string. Numbers are read as the C library's
// strtol reads them, clamped to 32 bits.

#include "readers/instream.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

/// Most characters a token keeps.
constexpr size_t TokenLimit = 1023;
/// Size of the working buffer of readUntilText (terminator included).
constexpr size_t UntilTextBuffer = 2000;

/// Value of a hexadecimal digit, or -1: the one decoder of both readers.
inline int hexDigitValue(unsigned char c)
{
    if (unsigned(c) - '0' < 10u)
        return c - '0';
    const unsigned lower = c | 0x20u;
    if (lower - 'a' < 6u)
        return int(lower - 'a') + 10;
    return -1;
}

/// Characters up to the delimiter (consumed, not stored); newlines are never
/// stored; at most 1023 characters are kept; a NUL ends the kept text.
std::string readToken(InStream& in, int delimiter);

/// As readToken, ending at whichever of the two delimiters comes first.
std::string readTokenUntilEither(InStream& in, int first, int second);

/// Characters up to the first occurrence of the terminator (consumed), with
/// backslashes removing themselves; cut as the OTS name field requires.
std::string readUntilText(InStream& in, const std::string& terminator);

/// strtoul-style base-16 value in 32 bits: kept up to FFFFFFFF, clamped above,
/// a minus sign negating it modulo 2^32.
uint32_t hexField(std::string_view text);

/// atoi-style decimal value, clamped to the signed 32-bit range.
int decimalField(std::string_view text);

} // namespace qv
