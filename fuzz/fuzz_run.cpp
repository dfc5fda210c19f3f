// Fuzz target: the whole run in-process, inputs in, XRD out.
//
// The input holds up to five parts separated by the line "@@@@":
//   1. the first OTS file (always present),
//   2. a second OTS file (absent: one OTS file),
//   3. the TDF trace (absent: empty),
//   4. the header text file (absent: no -h),
//   5. the studio header file (absent: none).
// The files are read, the tree evaluated and the report written into memory.
// Every report must be well-formed XML; the header text file must have grown by
// exactly its summary block; the failed count must match the document.

#include "fuzz_common.h"
#include "fuzz_xml.h"

#include "driver/headertext.h"
#include "driver/studioheader.h"
#include "model/evaluation.h"
#include "model/tree.h"
#include "readers/instream.h"
#include "readers/otsfile.h"
#include "readers/tdffile.h"
#include "report/document.h"
#include "report/xrdwriter.h"

#include <memory>
#include <optional>
#include <string>

using namespace qv;

namespace {

/// The summary block that a run appends to the header text file.
std::string summaryBlock(int passed, int inconclusive, int failed)
{
    return "-Test summary\nPassed=" + std::to_string(passed) +
        "\nInconclusive=" + std::to_string(inconclusive) + "\nFailed=" + std::to_string(failed) +
        "\nTotal=" + std::to_string(passed + inconclusive + failed) + "\n";
}

/// The tag numbers of the document rise from 1 in document order, without gaps.
/// Every "<" of the document opens markup (text escapes it) and no attribute
/// value holds a double quote, so the attributes can be read off directly.
void checkTagNumbers(const std::string& doc)
{
    int expected = 1;
    for (size_t at = doc.find('<'); at != std::string::npos; at = doc.find('<', at + 1)) {
        size_t p = doc.find_first_of(" >", at);
        while (p != std::string::npos && doc[p] == ' ') {
            const size_t equals = doc.find("=\"", p);
            if (equals == std::string::npos)
                fuzz::fail("an attribute without value");
            const size_t close = doc.find('"', equals + 2);
            if (close == std::string::npos)
                fuzz::fail("an attribute value without its end");
            if (doc.compare(p + 1, equals - p - 1, "TAG") == 0) {
                size_t digits = close;
                while (digits > equals + 2 && doc[digits - 1] >= '0' && doc[digits - 1] <= '9')
                    --digits;
                if (digits == close || doc[digits - 1] != 'x' ||
                    doc.compare(digits, close - digits, std::to_string(expected)) != 0)
                    fuzz::fail("tag numbers do not rise by one", doc.substr(at, close - at + 1));
                ++expected;
            }
            p = close + 1;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string_view> parts = fuzz::splitParts(data, size);
    const size_t otsCount = parts.size() >= 2 ? 2 : 1;
    const std::string_view tdf = parts.size() >= 3 ? parts[2] : std::string_view();

    auto tree = std::make_unique<TestTree>();
    tree->initTree();
    OtsGlobals globals;
    for (size_t i = 0; i < otsCount; ++i) {
        InStream in;
        in.openMemory(std::string(parts[i]));
        if (!detail::readOtsStream(*tree, globals, in, "script" + std::to_string(i) + ".ots", int(i)))
            fuzz::fail("the OTS reader refused content");
    }
    {
        InStream in;
        in.openMemory(std::string(tdf));
        if (!detail::readTdfStream(*tree, in))
            fuzz::fail("the TDF reader refused content");
    }
    evaluateTree(*tree);

    std::optional<fuzz::ScratchFile> header;
    if (parts.size() >= 4)
        header.emplace("header.txt", parts[3]);
    std::optional<ProjectInfo> project;
    if (parts.size() >= 5) {
        fuzz::ScratchFile studioFile("studio.txt", parts[4]);
        project = readStudioHeader(studioFile.path().c_str());
        if (!project)
            fuzz::fail("a readable studio header file was not loaded");
    }

    const SummaryCounts counts = tallyStatuses(*tree);
    const int passed = counts.passed, failedTotal = counts.failed, inconclusive = counts.inconclusive;
    const int failed = failedTotal;
    std::optional<HeaderTextFile> headerText;
    if (header)
        headerText.emplace(header->path(), counts);
    ReportInputs inputs;
    inputs.globals = &globals;
    inputs.project = project ? &*project : nullptr;
    inputs.headerText = headerText ? &*headerText : nullptr;
    inputs.counts = counts;
    inputs.xrdFile = "run.xrd";
    XrdWriter writer;
    writer.openMemory();
    renderReport(writer, *tree, inputs);
    fuzz::checkWellFormed(writer.buffer());
    checkTagNumbers(writer.buffer());
    // The global summary entry is the document's first browser entry.
    const std::string& doc = writer.buffer();
    const size_t entry = doc.find("<XROD:NODE ");
    const size_t state = entry == std::string::npos ? entry : doc.find(" state=\"", entry);
    if (state == std::string::npos || doc.compare(state + 8, 2, failed > 0 ? "ko" : "ok") != 0)
        fuzz::fail("the global entry's state does not match the failed count");

    if (header) {
        const std::string before(parts[3]);
        const std::string after = header->contents();
        const std::string block = summaryBlock(passed, inconclusive, failedTotal);
        // A last line without its line end gets one, so that the block starts a line.
        const std::string separator =
            !before.empty() && before.back() != '\n' ? std::string("\n") : std::string();
        if (after != before + separator + block)
            fuzz::fail("the header text file changed other than by its summary block");
    }
    tree->releaseTree();
    return 0;
}
