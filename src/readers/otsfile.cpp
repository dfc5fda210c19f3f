#include "readers/otsfile.h"

#include "model/otsType.h"

#include <cstdint>
#include <cstring>

namespace qv {

namespace {

/// Most characters a token keeps.
constexpr size_t TokenLimit = 1023;
/// Size of the working buffer of readUntilText.
constexpr size_t UntilTextBuffer = 2000;
/// Ends the name of an element record.
const std::string NameTerminator = "\" line=";

/// Text of `length` bytes, cut at the first NUL as a C string would be.
std::string cText(const char *data, size_t length)
{
    const void *nul = std::memchr(data, 0, length);
    if (nul)
        length = size_t(static_cast<const char *>(nul) - data);
    return std::string(data, length);
}

/// White space as the C library knows it in the "C" locale.
bool isSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

/// Value of a hexadecimal digit, or -1.
int hexDigitValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// strtol-like conversion in base 10 or 16, clamped to the signed 32-bit range.
int32_t clampedNumber(const std::string &text, int base)
{
    const char *p = text.c_str();
    while (isSpace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // "0x" is a prefix only when a digit follows it; otherwise the 0 is the number.
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hexDigitValue(p[2]) >= 0)
        p += 2;
    // The magnitude saturates just above the largest value that can be kept.
    constexpr int64_t Saturated = int64_t(1) << 32;
    int64_t magnitude = 0;
    for (;; ++p) {
        const int d = base == 16 ? hexDigitValue(static_cast<unsigned char>(*p))
                                 : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
        if (d < 0)
            break;
        magnitude = magnitude * base + d;
        if (magnitude > Saturated)
            magnitude = Saturated;
    }
    if (negative)
        return magnitude > -int64_t(INT32_MIN) ? INT32_MIN : int32_t(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : int32_t(magnitude);
}

/// Reads a token that ends at delimiter `first` or `second` (the same for readToken).
std::string readTokenUntil(InStream &in, int first, int second)
{
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

std::string readToken(InStream &in, int delimiter)
{
    return readTokenUntil(in, delimiter, delimiter);
}

std::string readTokenUntilEither(InStream &in, int first, int second)
{
    return readTokenUntil(in, first, second);
}

std::string readUntilText(InStream &in, const std::string &terminator)
{
    const size_t termLength = terminator.size();
    if (termLength == 0)
        return std::string();
    // Characters are kept only while fewer than this many are kept.
    const size_t keepLimit = termLength < UntilTextBuffer - 1 ? UntilTextBuffer - 1 - termLength : 0;
    std::string stored;
    stored.reserve(keepLimit);
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

uint32_t hexField(const std::string &text)
{
    return uint32_t(clampedNumber(text, 16));
}

int decimalField(const std::string &text)
{
    return clampedNumber(text, 10);
}

int readOtsStream(TestTree &tree, OtsGlobals &globals, InStream &in, const std::string &path,
                  int fileIndex)
{
    tree.openOtsFile(fileIndex, path);
    while (!in.atEnd()) {
        const int kind = kindFromCode(readToken(in, ' '));
        if (isNodeRecord(kind)) {
            const uint32_t id = hexField(readToken(in, ' '));
            in.get(); // opening quote of the name
            const std::string name = readUntilText(in, NameTerminator);
            const int line = decimalField(readToken(in, ' '));
            readToken(in, '='); // key of the parent id
            const uint32_t parentId = hexField(readTokenUntilEither(in, ';', ' '));
            uint32_t refId = 0;
            if (in.get() != '\n') {
                readToken(in, '='); // key of the reference id
                refId = hexField(readToken(in, ';'));
            }
            tree.addNode(fileIndex, kind, id, name, parentId, line, refId);
        } else if (kind == Checksum) {
            const uint32_t first = hexField(readToken(in, ' '));
            const uint32_t second = hexField(readToken(in, '\n'));
            tree.setChecksum(fileIndex, first, second);
        } else if (kind == TestCompilationTime || kind == TestCompilerVersion) {
            std::string text = readToken(in, '\n');
            std::optional<std::string> &slot = kind == TestCompilationTime
                                                   ? globals.testCompilationTime
                                                   : globals.testCompilerVersion;
            if (!slot)
                slot = std::move(text);
        } else if (kind == TestDriver) {
            in.get(); // opening quote of the directory
            std::optional<std::string> directory = readToken(in, '"');
            in.get(); // blank
            in.get(); // opening quote of the file name
            std::optional<std::string> fileName = readToken(in, '"');
            in.get(); // blank
            const uint32_t value = hexField(readToken(in, '\n'));
            tree.setSourceFile(fileIndex, directory, fileName, value);
        } else {
            readToken(in, '\n');
        }
    }
    return in.failed() ? -1 : 0;
}

int readOtsFile(TestTree &tree, OtsGlobals &globals, const std::string &path, int fileIndex)
{
    InStream in;
    if (!in.open(path))
        return -1;
    return readOtsStream(tree, globals, in, path, fileIndex);
}

} // namespace qv
