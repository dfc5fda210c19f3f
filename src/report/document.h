#pragma once
// The XRD document: head, global summary, report information, the script
// sections, the contracts section and the closing tags. The renderer only
// renders: the run sequence creates the file, gathers the studio header
// values, the tally and the header text file, and hands them in.

#include "model/evaluation.h"
#include "model/globals.h"
#include "model/tree.h"
#include "report/xrdwriter.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

/// The project values of the studio header, as the report shows them.
struct ProjectInfo {
    std::optional<std::string> projectName;
    std::optional<std::string> projectFilePath;
    std::optional<std::string> configuration;
    std::optional<std::string> workspaceName;
    std::optional<std::string> testNodeName;
};

/// The header text file as the renderer pulls it, line by line, at the moment
/// its rows are due in the document. The file stays streamed: its owner
/// reads, and afterwards appends to, the file itself.
class HeaderTextSource {
public:
    virtual ~HeaderTextSource() = default;
    /// Opens the file for reading; false when it cannot be (nothing of it is
    /// rendered then, and finish() is not called).
    virtual bool open() = 0;
    /// The next line without its line end, or null at the end; valid until the next call.
    virtual const char* nextLine() = 0;
    /// Called once when the renderer has stopped pulling lines.
    virtual void finish() = 0;
};

/// Everything the document shows besides the tree.
struct ReportInputs {
    /// The "VO" and "DP" texts; null: none.
    const OtsGlobals* globals = nullptr;
    /// The studio header's values; null when no studio header was loaded.
    const ProjectInfo* project = nullptr;
    /// The header text file; null without one on the command line.
    HeaderTextSource* headerText = nullptr;
    /// The summary counts of the tree.
    SummaryCounts counts;
    /// Name of the XRD file as given on the command line.
    std::string_view xrdFile;
};

/// Renders the whole document into an open writer.
void renderReport(XrdWriter& writer, const TestTree& tree, const ReportInputs& inputs);

namespace detail {

// Parts of renderReport, open to tests that check them alone.

/// The classes of the contracts section, in walk order. The tree does not
/// change while the report is written, so the list refers to the nodes
/// instead of copying them.
struct ClassList {
    std::vector<const TestNode*> nodes;
    /// Most nodes the list takes: the classes the files' driver counters count.
    size_t room = 0;
};

/// walkPostOrder callback of the contracts section: adds a Class or
/// SingleClass node (a node of the walk, never null) to the list while it
/// has room.
void collectClassNode(const TestNode* node, ClassList& classes);

/// The global information rows: compiler version, compilation or generation time.
void writeGlobalInformation(XrdWriter& writer, const OtsGlobals& globals);

} // namespace detail

} // namespace qv
