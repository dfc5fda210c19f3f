// Times the stages of one quorvanel run separately, with the product's own
// code: OTS read, TDF read, evaluation and report writing. The product never
// prints timings; this program exists so that the benchmark can.
//
// usage: qv_stage_bench [-r REPEATS] [--ots-by-bytes] -ots OTS... -tdf TDF -xrd XRD
//
// Each repetition runs the whole sequence on a fresh tree. Prints, per stage,
// "stage NAME MEDIAN_SECONDS MIN_SECONDS MEDIAN_CPU_SECONDS" (wall times, then
// processor time), then "elements N" and "failed N".
// Message catalogues are loaded as the product does when KESTRELONDIR is set.
// --ots-by-bytes reads the OTS files without their whole-line path, byte by
// byte through the stream (what the whole-line path saves, see otsfile.cpp).

#include "base/catalog.h"
#include "driver/reportfile.h"
#include "model/evaluation.h"
#include "model/tree.h"
#include "readers/instream.h"
#include "readers/otsfile.h"
#include "readers/tdffile.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

/// Processor time (user and system) of the process so far, in seconds: less
/// disturbed than wall time when other work shares the machine.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: qv_stage_bench [-r REPEATS] [--ots-by-bytes] -ots OTS... -tdf TDF -xrd XRD\n");
    std::exit(2);
}

void quiet(QtMsgType, const QMessageLogContext&, const QString&)
{}

/// Reads one OTS file as the product does, or with whole lines hidden from the reader.
bool readOts(qv::TestTree& tree, qv::OtsGlobals& globals, const std::string& path, int fileIndex,
             bool byBytes)
{
    if (!byBytes)
        return qv::readOtsFile(tree, globals, path, fileIndex);
    qv::InStream in;
    if (!in.open(path))
        return false;
    in.showLines(false);
    return qv::detail::readOtsStream(tree, globals, in, path, fileIndex);
}

} // namespace

int main(int argc, char** argv)
{
    int repeats = 1;
    std::vector<std::string> ots;
    std::string tdf, xrd;
    bool otsByBytes = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-r") && i + 1 < argc) {
            repeats = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--ots-by-bytes")) {
            otsByBytes = true;
        } else if (!std::strcmp(argv[i], "-ots")) {
            while (i + 1 < argc && argv[i + 1][0] != '-')
                ots.push_back(argv[++i]);
        } else if (!std::strcmp(argv[i], "-tdf") && i + 1 < argc) {
            tdf = argv[++i];
        } else if (!std::strcmp(argv[i], "-xrd") && i + 1 < argc) {
            xrd = argv[++i];
        } else {
            usage();
        }
    }
    if (ots.empty() || tdf.empty() || xrd.empty())
        usage();

    qInstallMessageHandler(quiet);
    QCoreApplication app(argc, argv);
    if (std::getenv("KESTRELONDIR") && !qv::loadMessageCatalogues(app, qv::cataloguePrefixes()))
        return 1;

    const char* names[] = {"ots_read", "tdf_read", "evaluate", "report_write"};
    std::vector<double> times[4];
    std::vector<double> cpu[4];
    size_t elements = 0;
    int failed = 0;
    for (int r = 0; r < repeats; ++r) {
        auto tree = std::make_unique<qv::TestTree>();
        qv::OtsGlobals globals;
        tree->initTree();

        double c[5];
        c[0] = cpuSeconds();
        const auto t0 = Clock::now();
        for (size_t i = 0; i < ots.size(); ++i) {
            if (!readOts(*tree, globals, ots[i], int(i), otsByBytes)) {
                std::fprintf(stderr, "qv_stage_bench: cannot read %s\n", ots[i].c_str());
                return 1;
            }
        }
        const auto t1 = Clock::now();
        c[1] = cpuSeconds();
        if (!qv::readTdfFile(*tree, tdf)) {
            std::fprintf(stderr, "qv_stage_bench: cannot read %s\n", tdf.c_str());
            return 1;
        }
        const auto t2 = Clock::now();
        c[2] = cpuSeconds();
        qv::evaluateTree(*tree);
        const auto t3 = Clock::now();
        c[3] = cpuSeconds();
        const qv::ReportResult report = qv::writeReport(*tree, globals, xrd.c_str(), nullptr);
        failed = report.counts.failed;
        const auto t4 = Clock::now();
        c[4] = cpuSeconds();
        if (report.outcome != qv::ReportOutcome::Written) {
            std::fprintf(stderr, "qv_stage_bench: cannot write %s\n", xrd.c_str());
            return 1;
        }
        // Every node but the files' roots is an element of the campaign.
        elements = tree->nodeCount() - size_t(tree->fileCount());
        tree->releaseTree();

        times[0].push_back(seconds(t0, t1));
        times[1].push_back(seconds(t1, t2));
        times[2].push_back(seconds(t2, t3));
        times[3].push_back(seconds(t3, t4));
        for (int k = 0; k < 4; ++k)
            cpu[k].push_back(c[k + 1] - c[k]);
    }

    for (int s = 0; s < 4; ++s) {
        std::vector<double>& v = times[s];
        std::sort(v.begin(), v.end());
        std::sort(cpu[s].begin(), cpu[s].end());
        std::printf("stage %s %.6f %.6f %.6f\n", names[s], v[v.size() / 2], v.front(),
                    cpu[s][cpu[s].size() / 2]);
    }
    std::printf("elements %zu\nfailed %d\n", elements, failed);
    return 0;
}
