#include "readers/otsfile.h"

#include "model/kinds.h"
#include "readers/linecursor.h"

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
/// Characters readUntilText keeps at most with the name terminator.
constexpr size_t NameKeepLimit = UntilTextBuffer - 1 - 7;

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
/// The text ends at its end or at a NUL, as a C string would.
int32_t clampedNumber(std::string_view text, int base)
{
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p != end && isSpace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // "0x" is a prefix only when a digit follows it; otherwise the 0 is the number.
    if (base == 16 && end - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        hexDigitValue(static_cast<unsigned char>(p[2])) >= 0)
        p += 2;
    // The magnitude saturates just above the largest value that can be kept.
    constexpr int64_t Saturated = int64_t(1) << 32;
    int64_t magnitude = 0;
    for (; p != end; ++p) {
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
    return uint32_t(clampedNumber(text, 16));
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

namespace {

/// The fields of one element record.
struct ElementRecord {
    int kind = NoKind;
    uint32_t id = 0;
    std::string_view name;
    int line = 0;
    uint32_t parentId = 0;
    uint32_t refId = 0;
};

/// Reads an element record from one buffered line with the same token steps
/// as the stream path of readOtsStream. Returns the number of bytes the
/// stream path would consume (the whole line with its line end, or up to the
/// last ";" when text follows it), or 0 when the record is no element record
/// or a token runs past the line end: the stream path then reads it.
size_t readElementLine(std::string_view text, size_t lineLength, ElementRecord &r,
                       std::string &nameBuffer)
{
    LineCursor c(text);
    r.kind = kindFromCode(c.token(' '));
    if (!c.ok() || !isNodeRecord(r.kind))
        return 0;
    r.id = hexField(c.token(' '));
    c.skipOne(); // opening quote of the name
    if (!c.ok())
        return 0;
    r.name = c.untilText(NameTerminator, NameKeepLimit, nameBuffer);
    r.line = decimalField(c.token(' '));
    c.token('='); // key of the parent id
    r.parentId = hexField(c.token(';', ' '));
    if (!c.ok())
        return 0;
    // The byte after the parent id: the newline (the line's end here) or the
    // start of the reference part.
    r.refId = 0;
    if (c.atEnd())
        return lineLength;
    c.skipOne();
    c.token('='); // key of the reference id
    r.refId = hexField(c.token(';'));
    if (!c.ok())
        return 0;
    // Only a line end after the last ";": the next record's code starts on the
    // next line either way, so the line end is consumed with the record.
    // Other text stays in the stream, where it starts the next record's code.
    return c.atEnd() ? lineLength : c.position();
}

} // namespace

int readOtsStream(TestTree &tree, OtsGlobals &globals, InStream &in, const std::string &path,
                  int fileIndex)
{
    tree.openOtsFile(fileIndex, path);
    ElementRecord record;
    std::string nameBuffer;
    while (!in.atEnd()) {
        // Element records, nearly every line, are read from the buffered line.
        std::string_view text;
        size_t lineLength = 0;
        if (in.peekLine(text, lineLength)) {
            const size_t used = readElementLine(text, lineLength, record, nameBuffer);
            if (used) {
                in.skip(used);
                tree.addNode(fileIndex, record.kind, record.id, record.name, record.parentId,
                             record.line, record.refId);
                continue;
            }
        }
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
