#include "driver/runsequence.h"

#include "base/catalog.h"
#include "base/diagnostics.h"
#include "base/files.h"
#include "base/product.h"
#include "base/textconversion.h"
#include "driver/cmdline.h"
#include "driver/reportfile.h"
#include "model/evaluation.h"
#include "model/globals.h"
#include "model/tree.h"
#include "readers/otsfile.h"
#include "readers/tdffile.h"

#include <QCoreApplication>
#include <memory>
#include <new>

namespace qv {

namespace {

// Qt's own warnings (for example about place markers) must never reach the
// error stream, whose lines users and scripts read.
void quietMessageHandler(QtMsgType, const QMessageLogContext&, const QString&)
{}

void printBanner()
{
    using namespace product;
    writeStderr(toLocal8(tr(Context, Name)) + " " + toLocal8(tr(Context, ToolTitle)) + " " +
                toLocal8(tr(Context, Version)) + "\n");
    writeStderr(toLocal8(tr(Context, Holder)) + " " + toLocal8(tr(Context, Reservation)) + "\n");
}

/// Everything one run owns between reading and writing: the tree and the readers' texts.
struct RunState {
    TestTree tree;
    OtsGlobals globals;
};

/// The run from the banner on, with the application object and its
/// catalogues in place.
int runSteps(int argc, char** argv)
{
    printBanner();

    CommandLine commandLine;
    if (!parseCommandLine(argc, argv, commandLine)) {
        printUsage(argc > 0 ? argv[0] : "");
        return -1;
    }

    bool missing = false;
    if (!fileExists(commandLine.tdfFile)) {
        report(MessageId::NoSuchFile, {}, commandLine.tdfFile);
        missing = true;
    }
    for (int i = 0; i < commandLine.otsCount; ++i) {
        if (!fileExists(commandLine.otsFiles[size_t(i)])) {
            report(MessageId::NoSuchFile, {}, commandLine.otsFiles[size_t(i)]);
            missing = true;
        }
    }
    if (missing)
        return -1;

    auto run = std::make_unique<RunState>();
    run->tree.initTree();
    for (int i = 0; i < commandLine.otsCount; ++i) {
        const char* name = commandLine.otsFiles[size_t(i)];
        if (!readOtsFile(run->tree, run->globals, name, i)) {
            report(MessageId::FormatNotRecognized, {}, name);
            return -1;
        }
    }
    if (!readTdfFile(run->tree, commandLine.tdfFile)) {
        report(MessageId::FormatNotRecognized, {}, commandLine.tdfFile);
        return -1;
    }

    evaluateTree(run->tree);

    const ReportResult result =
        writeReport(run->tree, run->globals, commandLine.xrdFile, commandLine.headerTextFile);

    run->tree.releaseTree();

    if (result.outcome == ReportOutcome::WriteFailed) {
        report(MessageId::WriteError, {}, commandLine.xrdFile);
        return -1;
    }
    if (result.outcome == ReportOutcome::CannotCreate) {
        report(MessageId::PermissionDenied, {}, commandLine.xrdFile);
        return -1;
    }
    return result.counts.failed > 0 ? 3 : 0;
}

} // namespace

int runQuorvanel(int argc, char** argv)
{
    // Memory that cannot be had ends the run wherever it runs out: the one
    // exception that crosses the layers, caught here only. Files already
    // written stay as they are; the status says the run failed.
    try {
        qInstallMessageHandler(quietMessageHandler);
        std::unique_ptr<QCoreApplication> ownApp;
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) {
            static int appArgc;
            appArgc = argc;
            ownApp = std::make_unique<QCoreApplication>(appArgc, argv);
            app = ownApp.get();
        }
        if (!loadMessageCatalogues(*app, cataloguePrefixes()))
            return -1;
        try {
            return runSteps(argc, argv);
        } catch (const std::bad_alloc&) {
            // Printed while the catalogues are still installed.
            reportOutOfMemory();
            return -1;
        }
    } catch (const std::bad_alloc&) {
        reportOutOfMemory();
        return -1;
    }
}

} // namespace qv
