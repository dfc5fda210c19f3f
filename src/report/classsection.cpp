#include "report/classsection.h"

#include "base/textconversion.h"
#include "report/scriptsection.h"

#include <QCoreApplication>
#include <string>

namespace qv {

namespace {

/// Opening tag of the three-column tables (states, violations, transitions).
const char* const ThreeColumnTable = "TABLE BORDER=\"1\" WIDTH=\"40,30,30\"";
/// Name and title of the violations entry; never translated.
const char* const ViolationsEntry = "State Chart Violations";

/// A row of three title cells with the given translated words.
void writeTitleRow(XrdWriter& out, const char* context, const char* first, const char* second,
                   const char* third)
{
    out.writeTag("ROW", false);
    out.writeTextCell(out.translated(context, first), StyleCode::StyleTitle);
    out.writeTextCell(out.translated(context, second), StyleCode::StyleTitle);
    out.writeTextCell(out.translated(context, third), StyleCode::StyleTitle);
    out.writeTag("ROW", true);
}

/// The row or rows of one member of the given kind; nothing for other kinds.
void writeMemberRow(XrdWriter& out, const TestNode& member, ElementKind memberKind, SourcePathCache& paths);

/// One member sub-section: entry, title, table with header and the member rows.
void writeMemberSection(XrdWriter& out, const TestTree& tree, const TestNode& classNode,
                        ElementKind memberKind, NodeStatus groupStatus)
{
    const std::string& kindName = kindNameText(out, memberKind);
    out.writeNodeOpen(kindName, kindName, xrodStateWord(groupStatus), 1, NodeIcon::MethodIcon);
    const int tag = out.nextTag();
    out.writeTitle(kindName, 2, statusStyle(groupStatus), tag);
    switch (memberKind) {
    case ElementKind::MethodContract:
        out.writeTag("TABLE BORDER=\"1\" WIDTH=\"20,20,15,15,15,15\"", false);
        out.writeHeaderRow(StyleCode::StyleTitle, 1);
        break;
    case ElementKind::Invariant:
        out.writeTag("TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\"", false);
        out.writeHeaderRow(StyleCode::StyleTitle, 0);
        break;
    case ElementKind::State:
        out.writeTag(ThreeColumnTable, false);
        writeTitleRow(out, "QUORVANEL class report",
                      QT_TRANSLATE_NOOP("QUORVANEL class report", "State Name"),
                      QT_TRANSLATE_NOOP("QUORVANEL class report", "Status"),
                      QT_TRANSLATE_NOOP("QUORVANEL class report", "Reached"));
        break;
    default:
        out.writeTag(ThreeColumnTable, false);
        writeTitleRow(out, "QUORVANEL class report",
                      QT_TRANSLATE_NOOP("QUORVANEL class report", "Transition Name"),
                      QT_TRANSLATE_NOOP("QUORVANEL class report", "Status"),
                      QT_TRANSLATE_NOOP("QUORVANEL class report", "Fired"));
        break;
    }
    SourcePathCache paths(&tree);
    for (const TestNode* member = classNode.firstChild; member; member = member->nextSibling)
        writeMemberRow(out, *member, memberKind, paths);
    out.writeTag("TABLE", true);
    out.writeTag("XROD:NODE", true);
}

} // namespace

namespace {

void writeMemberRow(XrdWriter& out, const TestNode& memberNode, ElementKind memberKind,
                    SourcePathCache& paths)
{
    const TestNode* member = &memberNode;
    if (member->kind != memberKind)
        return;
    const std::string& path = paths.of(member->fileIndex);
    const VerdictCounters none;

    switch (member->kind) {
    case ElementKind::Invariant: {
        const StyleCode s = statusStyle(member->status);
        const VerdictCounters& counts = member->verdict() ? *member->verdict() : none;
        out.writeTag("ROW", false);
        out.writeLinkCell(member->name(), s, path, member->line);
        out.writeTextCell(statusWordText(out, member->status), s);
        out.writeNumberCell(counts.hits, s);
        out.writeNumberCell(counts.failed, s);
        out.writeNumberCell(counts.passed, s);
        out.writeTag("ROW", true);
        break;
    }
    case ElementKind::State:
    case ElementKind::Transition: {
        const StyleCode s = statusStyle(member->status);
        const VerdictCounters& counts = member->verdict() ? *member->verdict() : none;
        out.writeTag("ROW", false);
        out.writeLinkCell(member->name(), s, path, member->line);
        out.writeTextCell(member->kind == ElementKind::State ? stateStatusWordText(out, member->status)
                                                             : transitionStatusWordText(out, member->status),
                          s);
        out.writeNumberCell(counts.hits, s);
        out.writeTag("ROW", true);
        break;
    }
    case ElementKind::MethodContract: {
        bool first = true;
        for (const TestNode* k = member->firstChild; k; k = k->nextSibling) {
            const StyleCode s = statusStyle(k->status);
            // A child without counters (not expected under a contract) shows zeros.
            const VerdictCounters& counts = k->verdict() ? *k->verdict() : none;
            out.writeTag("ROW", false);
            if (first)
                out.writeLinkCell(member->name(), s, path, member->line);
            else
                out.writeTextCell(" ", s);
            first = false;
            if (k->kind == ElementKind::PreCondition || k->kind == ElementKind::PostCondition)
                out.writeTextCell(k->name(), s);
            out.writeTextCell(statusWordText(out, k->status), s);
            out.writeNumberCell(counts.hits, s);
            out.writeNumberCell(counts.failed, s);
            out.writeNumberCell(counts.passed, s);
            out.writeTag("ROW", true);
        }
        break;
    }
    default: break;
    }
}

/// Writes the violations sub-section when the class's state chart failed.
void writeStateChartViolations(const TestNode& classNode, XrdWriter& output, const TestTree& tree)
{
    const ClassCounters* counts = classNode.classCounters();
    if (!counts || counts->stateChartStatus != NodeStatus::Failed)
        return;
    output.writeNodeOpen(ViolationsEntry, kindNameText(output, ElementKind::State), "ko", 1,
                         NodeIcon::MethodIcon);
    const int tag = output.nextTag();
    output.writeTitle(ViolationsEntry, 2, statusStyle(counts->stateChartStatus), tag);
    output.writeTag(ThreeColumnTable, false);
    writeTitleRow(output, "QUORVANEL State chart violations",
                  QT_TRANSLATE_NOOP("QUORVANEL State chart violations", "State Name"),
                  QT_TRANSLATE_NOOP("QUORVANEL State chart violations", "Multiple Exits"),
                  QT_TRANSLATE_NOOP("QUORVANEL State chart violations", "Illegal Exits"));
    SourcePathCache paths(&tree);
    for (const TestNode* c = classNode.firstChild; c; c = c->nextSibling) {
        if ((c->kind != ElementKind::State && c->kind != ElementKind::ObservationState) || !c->verdict())
            continue;
        const VerdictCounters& v = *c->verdict();
        if (v.multipleExits <= 0 && v.illegalExits <= 0)
            continue;
        output.writeTag("ROW", false);
        if (c->kind == ElementKind::State)
            output.writeLinkCell(c->name(), StyleCode::StyleFailed, paths.of(c->fileIndex), c->line);
        else
            output.writeTextCell(c->name(), StyleCode::StyleFailed);
        output.writeNumberCell(v.multipleExits, StyleCode::StyleFailed);
        output.writeNumberCell(v.illegalExits, StyleCode::StyleFailed);
        output.writeTag("ROW", true);
    }
    output.writeTag("TABLE", true);
    output.writeTag("XROD:NODE", true);
}

} // namespace

void writeClassReport(XrdWriter& output, const TestTree& tree, const TestNode& classNode)
{
    const std::string& kindName = kindNameText(output, classNode.kind);
    output.writeNodeOpen(classNode.name(), kindName, xrodStateWord(classNode.status), 0, NodeIcon::ClassIcon);
    const std::string title = kindName + " " + std::string(classNode.name());
    const StyleCode style = statusStyle(classNode.status);
    const std::optional<std::string> path = tree.otsFileName(classNode.fileIndex);
    const int tag = output.nextTag();
    if (path)
        output.writeLinkTitle(title, 1, style, tag, *path, classNode.line);
    else
        output.writeTitle(title, 1, style, tag);

    if (const ClassCounters* counts = classNode.classCounters()) {
        if (counts->methodContracts != 0)
            writeMemberSection(output, tree, classNode, ElementKind::MethodContract, counts->contractStatus);
        if (counts->invariants != 0)
            writeMemberSection(output, tree, classNode, ElementKind::Invariant, counts->invariantStatus);
        if (counts->states != 0)
            writeMemberSection(output, tree, classNode, ElementKind::State, counts->stateStatus);
        // Also without a declared State: an observation state fails the chart
        // too, and the summary counts that failure, so it must be shown.
        writeStateChartViolations(classNode, output, tree);
        if (counts->transitions != 0)
            writeMemberSection(output, tree, classNode, ElementKind::Transition, counts->transitionStatus);
    }
    output.writeTag("XROD:NODE", true);
}

} // namespace qv
