// Fuzz target: the TDF reader with its number reader, field splitter and text decoder.
//
// The input is a whole TDF trace, read against a fixed tree made from the two
// OTS files of the example campaign (so that "SF" records can bind and events
// land on real elements); the tree is then evaluated. Every line of the input
// also goes through parseTdfHex, tdfField and decodeTraceText, the first two
// compared with plain reference implementations of their rules.

#include "fuzz_common.h"

#include "model/evaluation.h"
#include "model/tree.h"
#include "readers/instream.h"
#include "readers/otsfile.h"
#include "readers/tdffile.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

using namespace qv;

namespace {

/// The OTS files of the fixed tree, read once.
std::vector<std::string>& fixedOtsFiles()
{
    static std::vector<std::string> files;
    return files;
}

/// Most lines checked one by one with the three helpers.
constexpr int MaxCheckedLines = 64;

/// Reference of parseTdfHex: the value, or none when the number is refused.
std::optional<uint32_t> referenceHex(const std::string& text)
{
    uint32_t value = 0;
    int digits = 0;
    bool lowFirst = false;
    bool closed = false;
    for (const unsigned char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d >= 0) {
            if (closed || digits == 8)
                return std::nullopt;
            value = lowFirst ? value + (uint32_t(d) << (4 * digits)) : value * 16 + uint32_t(d);
            ++digits;
        } else if (c == 'h' || c == 'H') {
            if (digits > 0)
                closed = true;
            else
                lowFirst = true;
        } else {
            return std::nullopt;
        }
    }
    return value;
}

/// Reference of tdfField, from the rule "field n runs from after the (n-1)-th
/// separator to before the n-th one or the end".
std::optional<std::string> referenceField(const std::string& text, char separator, int n)
{
    if (n <= 0)
        return std::nullopt;
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == separator)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    if (size_t(n) > fields.size())
        return std::nullopt;
    // The empty remainder after a final separator is no field.
    if (n > 1 && size_t(n) == fields.size() && fields.back().empty())
        return std::nullopt;
    return fields[size_t(n) - 1];
}

/// parseTdfHex and tdfField against their references, decodeTraceText's invariants.
void checkLine(const std::string& line)
{
    const std::optional<uint32_t> expected = referenceHex(line);
    const uint32_t value = detail::parseTdfHex(line);
    if (value != expected.value_or(0))
        fuzz::fail("parseTdfHex differs from its rules", line);

    const char separator = line.empty() ? ' ' : line[0] == '"' ? ' ' : line[0];
    for (int n = -1; n <= 5; ++n) {
        for (const char sep : {' ', separator}) {
            if (detail::tdfField(line, sep, n) != referenceField(line, sep, n))
                fuzz::fail("tdfField differs from its rules", line);
        }
    }

    const std::string decoded = decodeTraceText(line);
    if (decoded.find('\0') != std::string::npos)
        fuzz::fail("decodeTraceText kept a NUL", line);
    if (decoded.size() > 8 * line.size() + 16)
        fuzz::fail("decodeTraceText grew the text beyond any encoding", line);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initApplication();
    for (const char* name : {"/examples/thermostat_tests.ots", "/examples/sensor_stubs.ots"}) {
        std::ifstream in(std::string(QV_SOURCE_DIR) + name, std::ios::binary);
        if (!in)
            fuzz::fail("cannot read the example OTS files", name);
        fixedOtsFiles().emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    TestTree tree;
    tree.initTree();
    OtsGlobals globals;
    for (size_t i = 0; i < fixedOtsFiles().size(); ++i) {
        InStream in;
        in.openMemory(fixedOtsFiles()[i]);
        detail::readOtsStream(tree, globals, in, "fixed.ots", int(i));
    }
    const size_t nodes = tree.nodeCount();
    {
        InStream in;
        in.openMemory(bytes);
        if (!detail::readTdfStream(tree, in))
            fuzz::fail("the TDF reader refused content");
    }
    if (tree.nodeCount() != nodes)
        fuzz::fail("the TDF reader created nodes");
    evaluateTree(tree);
    tallyStatuses(tree);
    tree.releaseTree();

    // The helpers line by line; a record's text starts after its code and blank.
    size_t start = 0;
    for (int lines = 0; start <= bytes.size() && lines < MaxCheckedLines; ++lines) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        checkLine(line);
        if (line.size() > 3)
            checkLine(line.substr(3));
        start = end + 1;
    }
    return 0;
}
