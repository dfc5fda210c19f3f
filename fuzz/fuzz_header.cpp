// Fuzz target: the header text file reader and its rendering.
//
// The input is a header text file. It is read line by line with readHeaderLine,
// then rendered into the report of an empty tree, which must be well-formed XML;
// afterwards the file must have grown by exactly one summary block.

#include "fuzz_common.h"
#include "fuzz_xml.h"

#include "driver/headertext.h"
#include "driver/studioheader.h"
#include "model/tree.h"
#include "readers/otsfile.h"
#include "report/document.h"
#include "report/xrdwriter.h"

#include <cstring>
#include <string>

using namespace qv;

namespace {

/// A value extracted from a line is cut at its first line feed, tab and semicolon.
void checkValue(const std::optional<std::string>& value)
{
    if (value && value->find_first_of("\n\t;") != std::string::npos)
        fuzz::fail("a value keeps a line feed, tab or semicolon", *value);
}

/// Reads the file with readHeaderLine and checks every line it gives.
void checkHeaderLines(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        fuzz::fail("cannot open the scratch header file");
    LineBuffer buffer;
    while (const char* line = readHeaderLine(f, buffer)) {
        const size_t length = std::strlen(line);
        if (length > 2046)
            fuzz::fail("a header line longer than one read");
        // Only the last tab and carriage return cut the line; a line feed always ends it.
        if (std::memchr(line, '\n', length))
            fuzz::fail("a header line keeps a line feed", line);
        checkValue(detail::extractValue(line));
    }
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view headerBytes(reinterpret_cast<const char*>(data), size);
    fuzz::ScratchFile header("header.txt", headerBytes);
    checkHeaderLines(header.path());
    TestTree tree;
    tree.initTree();
    OtsGlobals globals;
    HeaderTextFile headerText(header.path(), SummaryCounts());
    ReportInputs inputs;
    inputs.globals = &globals;
    inputs.headerText = &headerText;
    inputs.xrdFile = "report.xrd";
    XrdWriter writer;
    writer.openMemory();
    renderReport(writer, tree, inputs);
    fuzz::checkWellFormed(writer.buffer());

    const std::string after = header.contents();
    const std::string block = "-Test summary\nPassed=0\nInconclusive=0\nFailed=0\nTotal=0\n";
    // A last line without its line end gets one, so that the block starts a line.
    const std::string separator =
        !headerBytes.empty() && headerBytes.back() != '\n' ? std::string("\n") : std::string();
    if (after != std::string(headerBytes) + separator + block)
        fuzz::fail("the header text file changed other than by its summary block");
    return 0;
}
