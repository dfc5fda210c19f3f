#pragma once
// The report step of a run: creates the XRD file, gathers what the document
// shows besides the tree (studio header, summary counts, header text file)
// and has the document rendered into the file.

#include "model/globals.h"
#include "model/tree.h"
#include "report/document.h"

namespace qv {

/// How the report step ended.
enum class ReportOutcome {
    Written,      ///< the whole document is in the file
    CannotCreate, ///< the XRD file could not be created; nothing was written
    WriteFailed,  ///< a write or the close failed, or a trace text could not be read back
};

/// Result of the report step: its outcome and the summary counts of the tree.
struct ReportResult {
    ReportOutcome outcome = ReportOutcome::CannotCreate;
    SummaryCounts counts;
};

/// Writes the report of an evaluated tree. In this order: the XRD file is
/// created, the studio header named by KSTN_STUDIO_HEADER_FILE is loaded,
/// the statuses are tallied, the document is rendered; the header text file
/// (null: none) is read while its rows are due and gets its summary block
/// right after, whether the XRD writes succeed or not.
ReportResult writeReport(const TestTree& tree, const OtsGlobals& globals, const char* xrdFile,
                         const char* headerTextFile);

} // namespace qv
