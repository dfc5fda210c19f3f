#pragma once
// Test script sections: nested entries of suites, classes, cases, procedures
// and stubs with their result tables, and the translated words of the report's
// result cells.

#include "model/kinds.h"
#include "model/tree.h"
#include "report/xrdwriter.h"

#include <optional>
#include <string>

namespace qv {

/// Walk context of the script section writer.
struct ScriptSectionContext {
    XrdWriter* output = nullptr;
    const TestTree* tree = nullptr;
    const std::optional<std::string>* scriptPath = nullptr;
    int level = 1;
};

/// The OTS file name of a file index for links (empty when the file has
/// none), kept for the next lookup: the rows of one file come in runs.
class SourcePathCache {
public:
    explicit SourcePathCache(const TestTree* tree) : tree_(tree) {}
    /// The file name of the file index.
    const std::string& of(int fileIndex);

private:
    const TestTree* tree_;
    std::string path_;
    int fileIndex_ = 0;
    bool known_ = false;
};

/// Writes the entry of a node and, nested, those of its descendants (iteratively).
void writeScriptElement(TestNode* node, const ScriptSectionContext& context);

/// "Passed", "Failed" or "Not Executed" ("QUORVANEL status") as UTF-8,
/// translated once per document of the writer.
const std::string& statusWordText(XrdWriter& out, NodeStatus status);
/// "Reached", "Failed" or "Not Reached" ("QUORVANEL state status") as UTF-8,
/// translated once per document of the writer.
const std::string& stateStatusWordText(XrdWriter& out, NodeStatus status);
/// "Fired", "Failed" or "Not Fired" ("QUORVANEL trans status") as UTF-8,
/// translated once per document of the writer.
const std::string& transitionStatusWordText(XrdWriter& out, NodeStatus status);
/// kindDisplayName as UTF-8, translated once per document of the writer.
const std::string& kindNameText(XrdWriter& out, ElementKind kind);

} // namespace qv
