#include "driver/pos.h"

#include "driver/catalog.h"
#include "driver/cmdline.h"
#include "driver/errors.h"
#include "driver/files.h"
#include "driver/product.h"
#include "driver/studioheader.h"
#include "driver/text.h"
#include "model/evaluation.h"
#include "model/tree.h"
#include "readers/otsfile.h"
#include "readers/tdffile.h"
#include "report/resfile.h"
#include "report/utils.h"

#include <QCoreApplication>
#include <memory>

namespace qv {

namespace {

// Qt's own warnings (for example about place markers) must never reach the
// error stream, whose lines users and scripts read.
void quietMessageHandler(QtMsgType, const QMessageLogContext &, const QString &) {}

void printBanner()
{
    using namespace product;
    writeStderr(toLocal8(tr(Context, Name)) + " " + toLocal8(tr(Context, ToolTitle)) + " " +
                toLocal8(tr(Context, Version)) + "\n");
    writeStderr(toLocal8(tr(Context, Holder)) + " " + toLocal8(tr(Context, Reservation)) + "\n");
}

/// Everything one run owns: the tree, the readers' texts, the writer with its
/// tag counter, the studio header and the shared line buffer.
struct RunState {
    TestTree tree;
    OtsGlobals globals;
    XrdWriter writer;
    StudioHeader studio;
    LineBuffer lineBuffer;
};

} // namespace

int runQuorvanel(int argc, char **argv)
{
    qInstallMessageHandler(quietMessageHandler);
    std::unique_ptr<QCoreApplication> ownApp;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        static int appArgc;
        appArgc = argc;
        ownApp = std::make_unique<QCoreApplication>(appArgc, argv);
        app = ownApp.get();
    }
    if (loadMessageCatalogues(*app, cataloguePrefixes()) != 0)
        return -1;

    printBanner();

    CommandLine commandLine;
    if (parseCommandLine(argc, argv, commandLine) != 0) {
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
        const char *name = commandLine.otsFiles[size_t(i)];
        const int result = readOtsFile(run->tree, run->globals, name, i);
        if (result != 0) {
            report(MessageId::FormatNotRecognized, {}, name);
            return result;
        }
    }
    if (readTdfFile(run->tree, commandLine.tdfFile) != 0) {
        report(MessageId::FormatNotRecognized, {}, commandLine.tdfFile);
        return -1;
    }

    evaluateTree(run->tree);

    ReportInputs inputs;
    inputs.globals = &run->globals;
    inputs.studio = &run->studio;
    inputs.lineBuffer = &run->lineBuffer;
    const int result = writeReport(run->tree, run->writer, inputs, commandLine.xrdFile,
                                   commandLine.headerTextFile);

    run->tree.releaseTree();

    if (result == ReportWriteError) {
        report(MessageId::WriteError, {}, commandLine.xrdFile);
        return -1;
    }
    if (result < 0) {
        report(MessageId::PermissionDenied, {}, commandLine.xrdFile);
        return -1;
    }
    return result > 0 ? 3 : 0;
}

} // namespace qv
