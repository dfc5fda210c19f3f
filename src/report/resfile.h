#pragma once
// The XRD document: head, global summary, report information, the script
// sections, the contracts section and the closing tags.

#include "model/tree.h"
#include "readers/otsfile.h"
#include "report/utils.h"
#include "driver/studioheader.h"

#include <optional>
#include <string>

namespace qv {

/// Result of writeReport when the XRD file could not be written completely.
constexpr int ReportWriteError = -2;

/// Everything the report reads besides the tree: reader texts, studio header, line buffer.
struct ReportInputs {
    const OtsGlobals *globals = nullptr;
    StudioHeader *studio = nullptr;
    LineBuffer *lineBuffer = nullptr;
};

/// Writes the whole report. Returns -1 when the XRD file cannot be opened,
/// ReportWriteError when a write or the close failed, else the failed total.
int writeReport(const TestTree &tree, XrdWriter &writer, const ReportInputs &inputs,
                const char *xrdFile, const char *headerTextFile);

/// Writes the report into a writer that is already open (the body of writeReport);
/// the header text file is rendered and appended to as usual.
int writeReportBody(const TestTree &tree, XrdWriter &writer, const ReportInputs &inputs,
                    const char *xrdFile, const char *headerTextFile, int studioLoaded);

/// The global information rows: compiler version, compilation or generation time.
void writeGlobalInformation(XrdWriter &writer, const OtsGlobals &globals);

} // namespace qv
