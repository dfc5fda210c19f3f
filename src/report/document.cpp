#include "report/document.h"

#include "base/product.h"
#include "base/textconversion.h"
#include "model/evaluation.h"
#include "model/kinds.h"
#include "report/classsection.h"
#include "report/presentation.h"
#include "report/scriptsection.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

namespace qv {

namespace {

/// Translation context of every label of the document and summary.
const char* const GlobalContext = "QUORVANEL global information";

/// Opening of the one-cell title rows (product, notice and header title lines).
const char* const TitleRowOpen = "<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\">";
/// Closing of those rows; no line end follows.
const char* const TitleRowClose = "</CELL_TEXT></ROW>";

/// A label of the document, translated and made UTF-8.
std::string label(const char* source)
{
    return toUtf8(tr(GlobalContext, source));
}

/// A row of two plain text cells.
void writePairRow(XrdWriter& writer, std::string_view name, std::string_view value)
{
    writer.writeTag("ROW", false);
    writer.writeTextCell(name, StyleCode::StylePlain);
    writer.writeTextCell(value, StyleCode::StylePlain);
    writer.writeTag("ROW", true);
}

/// A row of a label cell and a decimal value cell, both in the given style.
void writeCountRow(XrdWriter& writer, const char* source, long long value, StyleCode style)
{
    writer.writeTag("ROW", false);
    writer.writeTextCell(label(source), style);
    writer.writeNumberCell(value, style);
    writer.writeTag("ROW", true);
}

/// The current local time in the C library's asctime layout, without its line feed.
std::string generationTime()
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return std::string();
    const char* day = local.tm_wday >= 0 && local.tm_wday < 7 ? days[local.tm_wday] : "???";
    const char* month = local.tm_mon >= 0 && local.tm_mon < 12 ? months[local.tm_mon] : "???";
    char text[64];
    const int n =
        std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", day, month, local.tm_mday,
                      local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
    if (n < 0)
        return std::string();
    return std::string(text, size_t(std::min(n, int(sizeof text) - 1)));
}

/// The project rows of the studio header, then the global information rows.
void writeProjectRows(XrdWriter& writer, const ProjectInfo& project, const OtsGlobals& globals,
                      std::string_view xrdFile)
{
    auto value = [](const std::optional<std::string>& v) -> std::string_view {
        return v ? std::string_view(*v) : std::string_view();
    };
    writePairRow(writer, label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Project")),
                 value(project.projectName));
    writePairRow(writer, label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Project File")),
                 value(project.projectFilePath));
    writePairRow(writer, label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Project Configuration")),
                 value(project.configuration));
    writePairRow(writer, label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Workspace")),
                 value(project.workspaceName));
    writePairRow(writer, label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Test Node")),
                 value(project.testNodeName));
    writePairRow(writer, label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Report File")), xrdFile);
    detail::writeGlobalInformation(writer, globals);
}

/// Renders the lines of the header text file into the open table, up to its
/// end or its first line starting with "-" (where the summary blocks of
/// earlier runs begin). Nothing happens when the file cannot be opened.
void renderHeaderText(XrdWriter& writer, HeaderTextSource& source, const OtsGlobals& globals)
{
    if (!source.open())
        return;
    const char* line;
    while ((line = source.nextLine()) != nullptr && line[0] != '-') {
        if (const char* equals = std::strchr(line, '=')) {
            writePairRow(writer, std::string_view(line, size_t(equals - line)), equals + 1);
        } else if (line[0] == '#') {
            writer.writeTag("TABLE", true);
            const int tag = writer.nextTag();
            writer.writeTitle(line + 1, 2, StyleCode::StylePlain, tag);
            writer.writeTag("TABLE BORDER=\"1\"", false);
        } else if (line[0] == '$') {
            if (std::strcmp(line, "$PREPROCESS") == 0)
                detail::writeGlobalInformation(writer, globals);
        } else {
            writer.writeRaw(TitleRowOpen);
            writer.writeEscaped(std::string_view(line));
            writer.writeRaw(TitleRowClose);
        }
    }
    source.finish();
}

/// The statistics table of a script section, from the root's declaration counts.
void writeStatisticsTable(XrdWriter& writer, const DriverCounters& counts)
{
    struct Cell {
        const char* label;
        int value;
    };
    const Cell rows[3][2] = {
        {{QT_TRANSLATE_NOOP("QUORVANEL global information", "Number Of Test Suite"), counts.testSuites},
         {QT_TRANSLATE_NOOP("QUORVANEL global information", "Number Of Test Class"), counts.testClasses}},
        {{QT_TRANSLATE_NOOP("QUORVANEL global information", "Number Of Test Case"), counts.testCases},
         {QT_TRANSLATE_NOOP("QUORVANEL global information", "Number Of Epilogue"), counts.epilogues}},
        {{QT_TRANSLATE_NOOP("QUORVANEL global information", "Number Of Procedure"), counts.procedures},
         {QT_TRANSLATE_NOOP("QUORVANEL global information", "Number Of Prologue"), counts.prologues}},
    };
    writer.writeTag("TABLE BORDER=\"1\"", false);
    for (const auto& row : rows) {
        writer.writeTag("ROW", false);
        for (const Cell& cell : row) {
            writer.writeTextCell(label(cell.label), StyleCode::StylePlain);
            writer.writeNumberCell(cell.value, StyleCode::StylePlain);
        }
        writer.writeTag("ROW", true);
    }
    writer.writeTag("ROW", false);
    writer.writeTextCell(label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Number Of Stub")),
                         StyleCode::StylePlain);
    writer.writeNumberCell(counts.stubs, StyleCode::StylePlain);
    writer.writeTextCell(" ", StyleCode::StylePlain);
    writer.writeTextCell(" ", StyleCode::StylePlain);
    writer.writeTag("ROW", true);
    writer.writeTag("TABLE", true);
}

/// True when a script root declares anything that gets a script section.
bool hasScriptContent(const TestNode* root)
{
    if (!root || !root->driverCounters())
        return false;
    const DriverCounters& c = *root->driverCounters();
    return c.testClasses != 0 || c.testSuites != 0 || c.testCases != 0 || c.procedures != 0 || c.stubs != 0;
}

/// One script section: entry, section, title, statistics and the element entries.
void writeScriptSection(XrdWriter& writer, const TestTree& tree, TestNode* root, int n)
{
    const std::string driverName = toUtf8(kindDisplayName(ElementKind::TestDriver));
    writer.writeNodeOpen(root->name(), driverName, xrodStateWord(root->status),
                         isSummedKind(root->kind) ? 1 : 0, NodeIcon::ScriptIcon);
    writer.writeTag("SECTION TAG=\"rootx" + std::to_string(writer.nextTag()) + "\"", false);
    const int titleTag = writer.nextTag();
    writer.writeTitle(driverName + " " + std::string(root->name()), 0, statusStyle(root->status), titleTag);
    if (root->kind == ElementKind::TestDriver)
        writeStatisticsTable(writer, *root->driverCounters());

    const std::optional<std::string> scriptPath = tree.otsFileNameAt(n);
    ScriptSectionContext context;
    context.output = &writer;
    context.tree = &tree;
    context.scriptPath = &scriptPath;
    context.level = 1;
    forEachChild(root, [&context](TestNode* child) { writeScriptElement(child, context); });

    writer.writeTag("SECTION", true);
    writer.writeTag("XROD:NODE", true);
}

/// The contracts section: every class of every script, sorted by name.
void writeContractsSection(XrdWriter& writer, const TestTree& tree, int fileCount)
{
    long long total = 0;
    for (int i = 0; i < fileCount; ++i) {
        const TestNode* root = tree.fileRoot(i);
        if (root && root->driverCounters())
            total += root->driverCounters()->classes;
    }
    if (total <= 0)
        return;

    detail::ClassList list;
    list.room = size_t(total);
    list.nodes.reserve(list.room);
    for (int i = 0; i < fileCount; ++i)
        walkPostOrder(tree.fileRoot(i), [&list](TestNode* node) { detail::collectClassNode(node, list); });
    std::vector<const TestNode*>& classes = list.nodes;
    // Equal names keep their collection order.
    std::stable_sort(classes.begin(), classes.end(),
                     [](const TestNode* a, const TestNode* b) { return compareNodesByName(*a, *b) < 0; });

    NodeStatus combined = NodeStatus::Executed;
    for (const TestNode* node : classes)
        combined = combineStatus(node->status, combined);

    const std::string contracts = label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Contracts"));
    writer.writeNodeOpen(contracts, contracts, xrodStateWord(combined), 0, NodeIcon::ScriptIcon);
    writer.writeTag("SECTION TAG=\"classx" + std::to_string(writer.nextTag()) + "\"", false);
    const int titleTag = writer.nextTag();
    writer.writeTitle(label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Tested Contracts")), 0,
                      statusStyle(combined), titleTag);
    for (const TestNode* node : classes)
        writeClassReport(writer, tree, *node);
    writer.writeTag("SECTION", true);
    writer.writeTag("XROD:NODE", true);
}

} // namespace

void detail::collectClassNode(const TestNode* node, ClassList& classes)
{
    if ((node->kind == ElementKind::Class || node->kind == ElementKind::SingleClass) &&
        classes.nodes.size() < classes.room)
        classes.nodes.push_back(node);
}

void detail::writeGlobalInformation(XrdWriter& writer, const OtsGlobals& globals)
{
    if (globals.testCompilerVersion)
        writePairRow(writer,
                     label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Test compiler version")),
                     *globals.testCompilerVersion);
    if (globals.testCompilationTime)
        writePairRow(writer,
                     label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Test compilation time")),
                     *globals.testCompilationTime);
    else
        writePairRow(writer,
                     label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Report Generation Time")),
                     generationTime());
}

void renderReport(XrdWriter& writer, const TestTree& tree, const ReportInputs& inputs)
{
    const OtsGlobals noGlobals;
    const OtsGlobals& globals = inputs.globals ? *inputs.globals : noGlobals;
    const ProjectInfo* project = inputs.project;
    const std::string_view xrdPath = inputs.xrdFile;
    const int passed = inputs.counts.passed;
    const int failed = inputs.counts.failed;
    const int inconclusive = inputs.counts.inconclusive;

    const int n = tree.fileCount();
    // Without a test node value the defaults of a run without studio header apply.
    const std::optional<std::string>* testNode =
        project && project->testNodeName ? &project->testNodeName : nullptr;

    // Document head.
    writer.writeRaw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    writer.writeTag("XROD", false);
    writer.writeTag("APIDOC", false);
    {
        std::string tag = "DOCUMENT TITLE=\"";
        appendEscaped(tag, xrdPath);
        tag += "\" TAG=\"";
        appendEscaped(tag, testNode ? std::string_view(**testNode) : std::string_view("Test"));
        tag += 'x';
        tag += std::to_string(writer.nextTag());
        tag += '"';
        writer.writeTag(tag, false);
    }

    // Global summary.
    const std::string globalReport =
        label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Global Report"));
    writer.writeNodeOpen(globalReport, globalReport, failed == 0 ? "ok" : "ko", 0, NodeIcon::ScriptIcon);
    writer.writeTag("SECTION TAG=\"filex" + std::to_string(writer.nextTag()) + "\"", false);
    {
        const std::string title = testNode
            ? toUtf8(tr(GlobalContext, (*testNode)->c_str()))
            : label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Component testing C++ report"));
        const int tag = writer.nextTag();
        writer.writeTitle(title, 0, StyleCode::StylePlain, tag);
    }
    {
        const int tag = writer.nextTag();
        writer.writeTitle(label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Report summary")), 1,
                          StyleCode::StylePlain, tag);
    }
    writer.writeTag("TABLE BORDER=\"1\"", false);
    writer.writeRaw(TitleRowOpen);
    writer.writeEscaped(toUtf8(tr(product::Context, product::Name)));
    writer.writeRaw(" ");
    writer.writeEscaped(toUtf8(tr(product::Context, product::ReportTitle)));
    writer.writeRaw(" ");
    writer.writeRaw(product::ReportVersion);
    writer.writeRaw(TitleRowClose);
    writer.writeRaw(TitleRowOpen);
    writer.writeEscaped(toUtf8(tr(product::Context, product::NoticeLine)));
    writer.writeRaw(TitleRowClose);
    writeCountRow(writer, QT_TRANSLATE_NOOP("QUORVANEL global information", "Passed"), passed,
                  failed == 0 ? StyleCode::StylePassed : StyleCode::StylePlain);
    writeCountRow(writer, QT_TRANSLATE_NOOP("QUORVANEL global information", "Inconclusive"), inconclusive,
                  StyleCode::StylePlain);
    writeCountRow(writer, QT_TRANSLATE_NOOP("QUORVANEL global information", "Failed"), failed,
                  failed > 0 ? StyleCode::StyleFailed : StyleCode::StylePlain);
    writeCountRow(writer, QT_TRANSLATE_NOOP("QUORVANEL global information", "Total"),
                  static_cast<long long>(passed) + inconclusive + failed, StyleCode::StylePlain);
    writer.writeTag("TABLE", true);
    {
        const int tag = writer.nextTag();
        writer.writeTitle(label(QT_TRANSLATE_NOOP("QUORVANEL global information", "Report Information")), 1,
                          StyleCode::StylePlain, tag);
    }
    writer.writeTag("TABLE BORDER=\"1\"", false);
    if (inputs.headerText)
        renderHeaderText(writer, *inputs.headerText, globals);
    else if (project)
        writeProjectRows(writer, *project, globals, xrdPath);
    writer.writeTag("TABLE", true);
    writer.writeTag("SECTION", true);

    // One section per test script, last OTS file read first.
    for (int i = 0; i < n; ++i) {
        TestNode* root = tree.fileRoot(i);
        if (hasScriptContent(root))
            writeScriptSection(writer, tree, root, i);
    }

    writeContractsSection(writer, tree, n);

    writer.writeTag("XROD:NODE", true);
    writer.writeTag("DOCUMENT", true);
    writer.writeTag("APIDOC", true);
    writer.writeTag("XROD", true);
}

} // namespace qv
