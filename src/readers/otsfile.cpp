#include "readers/otsfile.h"

#include "base/files.h"
#include "readers/linecursor.h"
#include "readers/recordcodes.h"
#include "readers/tokens.h"

#include <cstdint>
#include <cstring>

namespace qv {

namespace {

/// Ends the name of an element record.
const std::string NameTerminator = "\" line=";
/// Characters readUntilText keeps at most with the name terminator.
constexpr size_t NameKeepLimit = UntilTextBuffer - 1 - 7;

/// The fields of one element record.
struct ElementRecord {
    ElementKind kind = ElementKind::NoKind;
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
///
/// A second path, kept for the element records, nearly every line: on the
/// large benchmark campaign (1 million elements, 50 MB of OTS files) the OTS
/// stage takes 0.28 s of CPU time with it and 0.59 s without
/// (bench/stage_bench with and without --ots-by-bytes, medians of 14
/// interleaved runs each on a shared, loaded machine). The differential
/// tests (tests/readers/lines_test.cpp, byte reading against buffered
/// reading of garbled files) hold the two equal.
size_t readElementLine(std::string_view text, size_t lineLength, ElementRecord& r, std::string& nameBuffer)
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

/// The name of a test script's root: the OTS file's name up to its first ".".
std::string scriptName(const std::string& path)
{
    std::string name = baseFileName(path);
    const size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

} // namespace

bool detail::readOtsStream(TestTree& tree, OtsGlobals& globals, InStream& in, const std::string& path,
                           int fileIndex)
{
    tree.openOtsFile(fileIndex, scriptName(path));
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
                tree.addNode(fileIndex, record.kind, record.id, record.name, record.parentId, record.line,
                             record.refId);
                continue;
            }
        }
        const ElementKind kind = kindFromCode(readToken(in, ' '));
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
        } else if (kind == ElementKind::Checksum) {
            const uint32_t first = hexField(readToken(in, ' '));
            const uint32_t second = hexField(readToken(in, '\n'));
            tree.setChecksum(fileIndex, first, second);
        } else if (kind == ElementKind::TestCompilationTime || kind == ElementKind::TestCompilerVersion) {
            std::string text = readToken(in, '\n');
            std::optional<std::string>& slot = kind == ElementKind::TestCompilationTime
                ? globals.testCompilationTime
                : globals.testCompilerVersion;
            if (!slot)
                slot = std::move(text);
        } else if (kind == ElementKind::TestDriver) {
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
    return !in.failed();
}

bool readOtsFile(TestTree& tree, OtsGlobals& globals, const std::string& path, int fileIndex)
{
    InStream in;
    if (!in.open(path))
        return false;
    return detail::readOtsStream(tree, globals, in, path, fileIndex);
}

} // namespace qv
