#include "driver/reportfile.h"

#include "driver/headertext.h"
#include "driver/studioheader.h"
#include "model/evaluation.h"
#include "report/xrdwriter.h"

#include <cstdlib>
#include <memory>
#include <optional>

namespace qv {

ReportResult writeReport(const TestTree& tree, const OtsGlobals& globals, const char* xrdFile,
                         const char* headerTextFile)
{
    ReportResult result;
    // Created first, so that a studio header or header text file naming the
    // report itself reads it empty.
    auto writer = std::make_unique<XrdWriter>();
    if (!xrdFile || !writer->open(xrdFile)) {
        result.outcome = ReportOutcome::CannotCreate;
        return result;
    }

    const std::optional<ProjectInfo> project = readStudioHeader(std::getenv("KSTN_STUDIO_HEADER_FILE"));

    result.counts = tallyStatuses(tree);

    std::optional<HeaderTextFile> headerText;
    if (headerTextFile)
        headerText.emplace(headerTextFile, result.counts);

    ReportInputs inputs;
    inputs.globals = &globals;
    inputs.project = project ? &*project : nullptr;
    inputs.headerText = headerText ? &*headerText : nullptr;
    inputs.counts = result.counts;
    inputs.xrdFile = xrdFile;
    renderReport(*writer, tree, inputs);

    const bool closed = writer->close();
    // A trace text that could not be read back from its temporary file
    // leaves the report incomplete: that is a failed report too.
    result.outcome = !closed || writer->failed() || tree.traceTexts().failed() ? ReportOutcome::WriteFailed
                                                                               : ReportOutcome::Written;
    return result;
}

} // namespace qv
