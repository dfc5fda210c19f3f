#include "report/scriptsection.h"

#include "base/textconversion.h"
#include "model/kinds.h"
#include "report/presentation.h"

#include <QCoreApplication>
#include <array>
#include <string>
#include <vector>

namespace qv {

namespace {

/// The three spellings of a result word for Passed, Failed and the rest,
/// with their translation context.
struct ResultWords {
    const char* context;
    const char* passed;
    const char* failed;
    const char* notDone;
    /// Source text of the word for a status.
    const char* of(NodeStatus status) const
    {
        return status == NodeStatus::Passed ? passed : status == NodeStatus::Failed ? failed : notDone;
    }
};

const ResultWords StatusWords = {"QUORVANEL status", QT_TRANSLATE_NOOP("QUORVANEL status", "Passed"),
                                 QT_TRANSLATE_NOOP("QUORVANEL status", "Failed"),
                                 QT_TRANSLATE_NOOP("QUORVANEL status", "Not Executed")};
const ResultWords StateWords = {"QUORVANEL state status",
                                QT_TRANSLATE_NOOP("QUORVANEL state status", "Reached"),
                                QT_TRANSLATE_NOOP("QUORVANEL state status", "Failed"),
                                QT_TRANSLATE_NOOP("QUORVANEL state status", "Not Reached")};
const ResultWords TransitionWords = {"QUORVANEL trans status",
                                     QT_TRANSLATE_NOOP("QUORVANEL trans status", "Fired"),
                                     QT_TRANSLATE_NOOP("QUORVANEL trans status", "Failed"),
                                     QT_TRANSLATE_NOOP("QUORVANEL trans status", "Not Fired")};

/// Writes the entries of one script element and its descendants. Translated
/// words come from the writer's per-document cache: a section can hold a
/// million elements.
class ScriptWriter {
public:
    explicit ScriptWriter(const ScriptSectionContext& context)
        : out_(*context.output), tree_(context.tree),
          scriptPath_(context.scriptPath && *context.scriptPath ? std::string_view(**context.scriptPath)
                                                                : std::string_view()),
          paths_(context.tree)
    {}

    /// Entry, title and, for test cases, procedures and stubs, the results table.
    void openEntry(const TestNode& node, int level)
    {
        const bool withTable = node.kind == ElementKind::TestCase || node.kind == ElementKind::Proc ||
            node.kind == ElementKind::Stub;
        const std::string& kindName = displayName(node.kind);
        out_.writeNodeOpen(node.name(), kindName, xrodStateWord(node.status), isSummedKind(node.kind) ? 1 : 0,
                           withTable ? NodeIcon::MethodIcon : NodeIcon::ClassIcon);
        title_.assign(kindName);
        title_ += ' ';
        title_ += node.name();
        const int tag = out_.nextTag();
        out_.writeLinkTitle(title_, level, statusStyle(node.status), tag, scriptPath_, node.line);
        if (withTable)
            writeResultsTable(node);
    }

private:
    const std::string& displayName(ElementKind kind) { return kindNameText(out_, kind); }

    const std::string& word(NodeStatus status) { return statusWordText(out_, status); }

    void writeResultsTable(const TestNode& node)
    {
        out_.writeTag("TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\"", false);
        out_.writeHeaderRow(StyleCode::StyleTitle, 0);
        bool rowsWritten = false;
        for (const TestNode* c = node.firstChild; c; c = c->nextSibling) {
            if (!isVerdictKind(c->kind))
                continue;
            rowsWritten = true;
            if (c->kind == ElementKind::Comment || c->kind == ElementKind::Print) {
                writeCommentBlock(*c);
                continue;
            }
            const StyleCode s = statusStyle(c->status);
            const VerdictCounters counts = c->verdict() ? *c->verdict() : VerdictCounters();
            out_.writeTag("ROW", false);
            out_.writeTextCell(c->name(), s);
            out_.writeTextCell(word(c->status), s);
            out_.writeNumberCell(counts.hits, s);
            out_.writeNumberCell(counts.failed, s);
            out_.writeNumberCell(counts.passed, s);
            out_.writeTag("ROW", true);
        }
        if (!rowsWritten) {
            const StyleCode s = statusStyle(node.status);
            out_.writeTag("ROW", false);
            out_.writeTextCell(" ", s);
            out_.writeTextCell(word(node.status), s);
            out_.writeTextCell(" ", s);
            out_.writeTextCell(" ", s);
            out_.writeTextCell(" ", s);
            out_.writeTag("ROW", true);
        }
        out_.writeTag("TABLE", true);
    }

    /// Interrupts the five-column table with the comment or print, its count and
    /// its trace texts, then reopens the five-column table without header.
    void writeCommentBlock(const TestNode& c)
    {
        out_.writeTag("TABLE", true);
        out_.writeTag("TABLE BORDER=\"1\" WIDTH=\"55,45\"", false);
        out_.writeTag("ROW", false);
        out_.writeRaw("<CELL STYLE=\"Array\">\n");
        out_.writeRaw("<IMAGE NAME=\"arrow10.xpm\"/>");
        out_.writeRaw("<LINK TARGET=\"");
        if (tree_)
            out_.writeEscaped(std::string_view(paths_.of(c.fileIndex)));
        scratch_.assign(" line ");
        scratch_ += std::to_string(c.line);
        scratch_ += "\">\n";
        out_.writeRaw(scratch_);
        out_.writeRaw("<TEXT>");
        scratch_.assign(displayName(c.kind));
        if (c.kind == ElementKind::Comment)
            scratch_ += ':';
        scratch_ += c.name();
        out_.writeEscaped(std::string_view(scratch_));
        out_.writeRaw("</TEXT>\n</LINK>\n</CELL>\n");
        out_.writeRaw("<CELL STYLE=\"Array\">\n<TEXT>");
        scratch_.assign("(x");
        scratch_ += std::to_string(c.verdict() ? c.verdict()->hits : 0);
        scratch_ += ')';
        out_.writeEscaped(std::string_view(scratch_));
        out_.writeRaw("</TEXT>\n</CELL>\n");
        out_.writeTag("ROW", true);
        out_.writeTag("TABLE", true);
        if (tree_ && TestTree::hasTraceTexts(c)) {
            // The texts in arrival order; a text read back from the store's
            // file may land in textScratch_.
            const TraceTextStore& store = tree_->traceTexts();
            store.collect(c.lastText, textRefs_);
            out_.writeTag("TABLE BORDER=\"0\" WIDTH=\"5,95\"", false);
            for (const uint64_t ref : textRefs_) {
                out_.writeTag("ROW", false);
                out_.writeRaw("<CELL STYLE=\"Array\">\n</CELL>\n");
                out_.writeRaw("<CELL STYLE=\"Array\">\n<TEXT>");
                out_.writeEscaped(store.text(ref, textScratch_));
                out_.writeRaw("</TEXT>\n</CELL>\n");
                out_.writeTag("ROW", true);
            }
            out_.writeTag("TABLE", true);
        }
        out_.writeTag("TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\"", false);
    }

    XrdWriter& out_;
    const TestTree* tree_;
    std::string_view scriptPath_;
    std::string title_;
    std::string scratch_;
    std::string textScratch_;
    std::vector<uint64_t> textRefs_;
    SourcePathCache paths_; ///< for comment links
};

/// One open entry of the walk: the node, its title level and the next child to visit.
struct Frame {
    const TestNode* node;
    int level;
    const TestNode* next;
};

} // namespace

void writeScriptElement(TestNode* node, const ScriptSectionContext& context)
{
    if (!context.output || !node || !hasReportSection(node->kind))
        return;
    ScriptWriter writer(context);
    XrdWriter& out = *context.output;

    // Depth-first with an explicit stack, so that any nesting depth is safe:
    // an entry is opened when its node is reached and closed after its last child.
    std::vector<Frame> stack;
    writer.openEntry(*node, context.level);
    stack.push_back({node, context.level, node->firstChild});
    while (!stack.empty()) {
        Frame& top = stack.back();
        const TestNode* child = top.next;
        if (!child) {
            out.writeTag("XROD:NODE", true);
            stack.pop_back();
            continue;
        }
        top.next = child->nextSibling;
        if (!hasReportSection(child->kind))
            continue;
        const int level = top.level + 1;
        writer.openEntry(*child, level);
        stack.push_back({child, level, child->firstChild});
    }
}

const std::string& SourcePathCache::of(int fileIndex)
{
    if (!known_ || fileIndex != fileIndex_) {
        std::optional<std::string> path = tree_ ? tree_->otsFileName(fileIndex) : std::nullopt;
        path_ = path ? std::move(*path) : std::string();
        fileIndex_ = fileIndex;
        known_ = true;
    }
    return path_;
}

const std::string& statusWordText(XrdWriter& out, NodeStatus status)
{
    return out.translated(StatusWords.context, StatusWords.of(status));
}

const std::string& stateStatusWordText(XrdWriter& out, NodeStatus status)
{
    return out.translated(StateWords.context, StateWords.of(status));
}

const std::string& transitionStatusWordText(XrdWriter& out, NodeStatus status)
{
    return out.translated(TransitionWords.context, TransitionWords.of(status));
}

const std::string& kindNameText(XrdWriter& out, ElementKind kind)
{
    static const std::string noKind = "-?\?-";
    const char* source = kindDisplaySource(kind);
    return source ? out.translated(KindDisplayContext, source) : noKind;
}

} // namespace qv
